// The device window's controls as a test reaches them: by their object names.
#pragma once

#include "gui/device/StatusLamp.h"
#include "support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

namespace zirko::test {

struct TDeviceControls {
    explicit TDeviceControls(const QWidget& window)
        : ComboPort(Named<QComboBox>(window, "ComboPort")),
          ButtonConnect(Named<QPushButton>(window, "ButtonConnect")),
          ButtonDisconnect(Named<QPushButton>(window, "ButtonDisconnect")),
          Lamp(Named<TStatusLamp>(window, "Lamp")), LabelTop(Named<QLabel>(window, "LabelTop")),
          ButtonReadData(Named<QPushButton>(window, "ButtonReadData")),
          ButtonErase(Named<QPushButton>(window, "ButtonErase")),
          LabelInit(Named<QLabel>(window, "LabelInit")),
          LabelData(Named<QLabel>(window, "LabelData")),
          ProgressBar1(Named<QProgressBar>(window, "ProgressBar1")),
          PanelFileName(Named<QWidget>(window, "PanelFileName")),
          EditFlightTemperature(Named<QLineEdit>(window, "EditFlightTemperature")),
          GroupDataLog(Named<QGroupBox>(window, "GroupDataLog")),
          CheckAltitude(Named<QCheckBox>(window, "CheckAltitude")),
          CheckRx(Named<QCheckBox>(window, "CheckRx")),
          CheckPower(Named<QCheckBox>(window, "CheckPower")),
          EditMin(Named<QLineEdit>(window, "EditMin")),
          EditSec(Named<QLineEdit>(window, "EditSec")),
          EditTenths(Named<QLineEdit>(window, "EditTenths")),
          LabelRecordingTime(Named<QLabel>(window, "LabelRecordingTime")),
          GroupStart(Named<QGroupBox>(window, "GroupStart")),
          RadioStartImmediately(Named<QRadioButton>(window, "RadioStartImmediately")),
          RadioStartSeconds(Named<QRadioButton>(window, "RadioStartSeconds")),
          RadioStartRx(Named<QRadioButton>(window, "RadioStartRx")),
          RadioStartAltitude(Named<QRadioButton>(window, "RadioStartAltitude")),
          EditStartDelay(Named<QLineEdit>(window, "EditStartDelay")),
          EditStartAltitude(Named<QLineEdit>(window, "EditStartAltitude")),
          RadioFinishPowerOff(Named<QRadioButton>(window, "RadioFinishPowerOff")),
          RadioFinishMinutes(Named<QRadioButton>(window, "RadioFinishMinutes")),
          RadioFinishRx(Named<QRadioButton>(window, "RadioFinishRx")),
          EditFinishTime(Named<QLineEdit>(window, "EditFinishTime")),
          EditVoltspy(Named<QLineEdit>(window, "EditVoltspy")),
          ButtonUpload(Named<QPushButton>(window, "ButtonUpload")),
          ButtonDownloadCfg(Named<QPushButton>(window, "ButtonDownloadCfg")),
          PanelNumbers(Named<QWidget>(window, "PanelNumbers")),
          EditNumber{Named<QLineEdit>(window, "EditNumber1"),
                     Named<QLineEdit>(window, "EditNumber2"),
                     Named<QLineEdit>(window, "EditNumber3")},
          LabelFirmware(Named<QLabel>(window, "LabelFirmware")),
          ButtonClose(Named<QPushButton>(window, "ButtonClose")),
          StatusBar1(Named<QStatusBar>(window, "StatusBar1"))
    {
    }

    QComboBox* ComboPort;
    QPushButton* ButtonConnect;
    QPushButton* ButtonDisconnect;
    TStatusLamp* Lamp;
    QLabel* LabelTop;
    QPushButton* ButtonReadData;
    QPushButton* ButtonErase;
    QLabel* LabelInit;
    QLabel* LabelData;
    QProgressBar* ProgressBar1;
    QWidget* PanelFileName;
    QLineEdit* EditFlightTemperature;
    QGroupBox* GroupDataLog;
    QCheckBox* CheckAltitude;
    QCheckBox* CheckRx;
    QCheckBox* CheckPower;
    QLineEdit* EditMin;
    QLineEdit* EditSec;
    QLineEdit* EditTenths;
    QLabel* LabelRecordingTime;
    QGroupBox* GroupStart;
    QRadioButton* RadioStartImmediately;
    QRadioButton* RadioStartSeconds;
    QRadioButton* RadioStartRx;
    QRadioButton* RadioStartAltitude;
    QLineEdit* EditStartDelay;
    QLineEdit* EditStartAltitude;
    QRadioButton* RadioFinishPowerOff;
    QRadioButton* RadioFinishMinutes;
    QRadioButton* RadioFinishRx;
    QLineEdit* EditFinishTime;
    QLineEdit* EditVoltspy;
    QPushButton* ButtonUpload;
    QPushButton* ButtonDownloadCfg;
    QWidget* PanelNumbers;
    QLineEdit* EditNumber[3];
    QLabel* LabelFirmware;
    QPushButton* ButtonClose;
    QStatusBar* StatusBar1;
};

} // namespace zirko::test
