// The device window's controls and their layout, built once; the window gives them their work.
#pragma once

#include "gui/device/StatusLamp.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QWidget;

namespace zirko {

struct TZirkoComControls {
    // Makes every control a child of `window` and lays them out; the window keeps its size.
    void BuildControls(QDialog* window);

    QComboBox* ComboPort = nullptr;
    QPushButton* ButtonConnect = nullptr;
    QPushButton* ButtonDisconnect = nullptr;
    TStatusLamp* Lamp = nullptr;
    QLabel* LabelTop = nullptr;
    QPushButton* ButtonReadData = nullptr;
    QPushButton* ButtonErase = nullptr;
    QLabel* LabelInit = nullptr;
    QLabel* LabelData = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QWidget* PanelFileName = nullptr;
    QLineEdit* EditFlightTemperature = nullptr;
    QGroupBox* GroupConfig = nullptr;
    QGroupBox* GroupDataLog = nullptr;
    QCheckBox* CheckAltitude = nullptr;
    QCheckBox* CheckRx = nullptr;
    QCheckBox* CheckPower = nullptr;
    QGroupBox* GroupSampling = nullptr;
    QLineEdit* EditMin = nullptr;
    QLineEdit* EditSec = nullptr;
    QLineEdit* EditTenths = nullptr;
    QLabel* LabelRecordingTime = nullptr;
    QGroupBox* GroupStart = nullptr;
    QRadioButton* RadioStartImmediately = nullptr;
    QRadioButton* RadioStartSeconds = nullptr;
    QRadioButton* RadioStartRx = nullptr;
    QRadioButton* RadioStartAltitude = nullptr;
    QLineEdit* EditStartDelay = nullptr;
    QLineEdit* EditStartAltitude = nullptr;
    QGroupBox* GroupFinish = nullptr;
    QRadioButton* RadioFinishPowerOff = nullptr;
    QRadioButton* RadioFinishMinutes = nullptr;
    QRadioButton* RadioFinishRx = nullptr;
    QLineEdit* EditFinishTime = nullptr;
    QLineEdit* EditVoltspy = nullptr;
    QPushButton* ButtonUpload = nullptr;
    QPushButton* ButtonDownloadCfg = nullptr;
    QWidget* PanelNumbers = nullptr;
    QLineEdit* EditNumber[3]{};
    QLabel* LabelFirmware = nullptr;
    QPushButton* ButtonClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;
};

// The firmware label's text before a logger has told its firmware.
inline constexpr const char* kFirmwareCaption = "Firmware:";

} // namespace zirko
