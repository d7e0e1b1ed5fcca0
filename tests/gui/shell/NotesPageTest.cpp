// The notes page driven with real mouse and key events.
#include "gui/shell/NotesPage.h"
#include "platform/richtext/RtfReader.h"
#include "support/EntryInput.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>

using namespace zirko;
using namespace zirko::test;

namespace {

// The notes page's controls, found by their object names.
struct TNotesControls {
    // The page whose controls these are.
    const QObject& Window;
    QComboBox* ComboFontName = Named<QComboBox>(Window, "ComboFontName");
    QComboBox* ComboFontSize = Named<QComboBox>(Window, "ComboFontSize");
    QLineEdit* EditDate = Named<QLineEdit>(Window, "EditDate");
    QLineEdit* EditFlyTime = Named<QLineEdit>(Window, "EditFlyTime");
    QLineEdit* EditMaxAlt = Named<QLineEdit>(Window, "EditMaxAlt");
    QMenu* PopupMenu = Named<QMenu>(Window, "PopupMenu");
    QTextEdit* RichEdit1 = Named<QTextEdit>(Window, "RichEdit1");
    QToolButton* TBBold = Named<QToolButton>(Window, "TBBold");
    QToolButton* TBCenter = Named<QToolButton>(Window, "TBCenter");
    QToolButton* TBColor = Named<QToolButton>(Window, "TBColor");
    QToolButton* TBCopy = Named<QToolButton>(Window, "TBCopy");
    QToolButton* TBCut = Named<QToolButton>(Window, "TBCut");
    QToolButton* TBFont = Named<QToolButton>(Window, "TBFont");
    QToolButton* TBItalic = Named<QToolButton>(Window, "TBItalic");
    QToolButton* TBLeft = Named<QToolButton>(Window, "TBLeft");
    QToolButton* TBPaste = Named<QToolButton>(Window, "TBPaste");
    QToolButton* TBPrint = Named<QToolButton>(Window, "TBPrint");
    QToolButton* TBRight = Named<QToolButton>(Window, "TBRight");
    QToolButton* TBUnderline = Named<QToolButton>(Window, "TBUnderline");
    QToolButton* TBUndo = Named<QToolButton>(Window, "TBUndo");
    QAction* mnuAlignCenter = Named<QAction>(Window, "mnuAlignCenter");
    QAction* mnuAlignRight = Named<QAction>(Window, "mnuAlignRight");
    QAction* mnuColor = Named<QAction>(Window, "mnuColor");
    QAction* mnuCopy = Named<QAction>(Window, "mnuCopy");
    QAction* mnuCut = Named<QAction>(Window, "mnuCut");
    QAction* mnuFont = Named<QAction>(Window, "mnuFont");
    QAction* mnuPrint = Named<QAction>(Window, "mnuPrint");
    QAction* mnuUndo = Named<QAction>(Window, "mnuUndo");
};

// The format of the character at `position` (0 = the first character).
QTextCharFormat CharAt(const QTextEdit& edit, int position)
{
    QTextCursor c(edit.document());
    c.setPosition(position + 1);
    return c.charFormat();
}

class NotesPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dialogs = &InstallScriptedDialogs();
        Page.resize(700, 400);
        Page.show();
        QApplication::setActiveWindow(&Page);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Page));
        Edit = C.RichEdit1;
        Edit->setFocus();
    }
    void Type(const QString& text) { QTest::keyClicks(Edit, text); }
    void SelectAll() { QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier); }
    void ContextMenu()
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                Edit->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(Edit->viewport(), &event);
    }

    TScriptedDialogs* Dialogs = nullptr;
    TNotesPage Page;
    TNotesControls C{Page};
    QTextEdit* Edit = nullptr;
};

TEST_F(NotesPageTest, ToolbarAndMenuCarryTheirCzechHints)
{
    const std::vector<std::pair<QToolButton*, const char*>> hints = {
        {C.TBPrint, "Tisk"},
        {C.TBCut, "Vyjmout"},
        {C.TBCopy, "Kopírovat"},
        {C.TBPaste, "Vložit"},
        {C.TBUndo, "Zpět"},
        {C.TBBold, "Tučné"},
        {C.TBItalic, "Kurzíva"},
        {C.TBUnderline, "Podtržené"},
        {C.TBFont, "Font dialog"},
        {C.TBLeft, "Zarovnat doleva"},
        {C.TBCenter, "Zarovnat na střed"},
        {C.TBRight, "Zarovnat doprava"}};
    for (const auto& [button, hint] : hints)
        EXPECT_EQ(QString::fromUtf8(hint), button->toolTip());
    QStringList entries;
    for (QAction* a : C.PopupMenu->actions())
        entries << a->text();
    EXPECT_EQ(QStringList(
                  {"Tisk", "Vyjmout", "Kopírovat", "Vložit", "Zpět", "Font", "Barva", "Zarovnání"}),
              entries);
    QStringList sizes;
    for (int i = 0; i < C.ComboFontSize->count(); ++i)
        sizes << C.ComboFontSize->itemText(i);
    EXPECT_EQ(QStringList({"8", "10", "12", "14", "17", "24"}), sizes);
    EXPECT_FALSE(C.ComboFontName->isEditable());
}

TEST_F(NotesPageTest, EditButtonsShowIconsNotTheirHints)
{
    // Without a desktop theme the drawn icons stand in, so no hint ever shows as a caption.
    for (QToolButton* b : {C.TBPrint, C.TBCut, C.TBCopy, C.TBPaste, C.TBUndo, C.TBColor, C.TBLeft,
                           C.TBCenter, C.TBRight}) {
        EXPECT_FALSE(b->icon().isNull()) << b->toolTip().toStdString();
        EXPECT_EQ(Qt::ToolButtonIconOnly, b->toolButtonStyle());
        EXPECT_LE(b->sizeHint().width(), b->sizeHint().height() + 8) << b->toolTip().toStdString();
    }
    EXPECT_EQ("B", C.TBBold->text());
    EXPECT_EQ("A", C.TBFont->text());
}

TEST_F(NotesPageTest, ColourChoiceColoursTheSelectionAndIsStoredInTheColourTable)
{
    Type("red and plain");
    QTextCursor c = Edit->textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);
    Edit->setTextCursor(c);
    const QImage before = C.TBColor->icon().pixmap(20, 20).toImage();

    // Cancelled: the text keeps its colour; the dialog starts from the selection's colour.
    QTest::mouseClick(C.TBColor, Qt::LeftButton);
    ASSERT_EQ(1, Dialogs->Log.size());
    EXPECT_EQ("colour: " + Edit->palette().color(QPalette::Text).name(), Dialogs->Log.back());
    EXPECT_EQ(Qt::NoBrush, CharAt(*Edit, 1).foreground().style());

    Dialogs->Colors = {QColor(200, 30, 40)};
    QTest::mouseClick(C.TBColor, Qt::LeftButton);
    EXPECT_EQ(QColor(200, 30, 40), CharAt(*Edit, 0).foreground().color());
    EXPECT_EQ(QColor(200, 30, 40), CharAt(*Edit, 2).foreground().color());
    EXPECT_EQ(Qt::NoBrush, CharAt(*Edit, 5).foreground().style());
    EXPECT_NE(before, C.TBColor->icon().pixmap(20, 20).toImage());

    // The context menu's entry does the same.
    c.setPosition(8);
    c.setPosition(13, QTextCursor::KeepAnchor);
    Edit->setTextCursor(c);
    Dialogs->Colors = {QColor(0, 0, 255)};
    C.mnuColor->trigger();
    EXPECT_EQ(QColor(0, 0, 255), CharAt(*Edit, 10).foreground().color());

    const std::string rtf = Page.SaveNotes();
    EXPECT_NE(std::string::npos, rtf.find("\\colortbl")) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("\\red200\\green30\\blue40;")) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("\\red0\\green0\\blue255;")) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("\\cf1")) << rtf;
    Page.LoadNotes(rtf);
    EXPECT_EQ(QColor(200, 30, 40), CharAt(*Edit, 1).foreground().color());
    EXPECT_EQ(QColor(0, 0, 255), CharAt(*Edit, 12).foreground().color());
    EXPECT_NE(QColor(200, 30, 40), CharAt(*Edit, 5).foreground().color());
}

TEST_F(NotesPageTest, CutAndCopyNeedASelection)
{
    Type("hello");
    EXPECT_FALSE(C.TBCut->isEnabled());
    EXPECT_FALSE(C.TBCopy->isEnabled());
    ContextMenu();
    EXPECT_TRUE(C.PopupMenu->isVisible());
    EXPECT_FALSE(C.mnuCut->isEnabled());
    EXPECT_FALSE(C.mnuCopy->isEnabled());
    EXPECT_TRUE(C.mnuUndo->isEnabled());
    C.PopupMenu->close();

    QTest::keyClick(Edit, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(C.TBCut->isEnabled());
    EXPECT_TRUE(C.TBCopy->isEnabled());
    ContextMenu();
    EXPECT_TRUE(C.mnuCut->isEnabled());
    EXPECT_TRUE(C.mnuCopy->isEnabled());
    C.PopupMenu->close();

    QTest::mouseClick(C.TBCut, Qt::LeftButton);
    EXPECT_EQ("hell", Edit->toPlainText());
    EXPECT_EQ("o", QApplication::clipboard()->text());
    EXPECT_FALSE(C.TBCut->isEnabled());
}

TEST_F(NotesPageTest, TypingThirteenSetsSizeOneThenThirteen)
{
    Type("abc");
    SelectAll();
    QLineEdit* sizeEdit = C.ComboFontSize->lineEdit();
    sizeEdit->setFocus();
    QTest::keyClick(sizeEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(sizeEdit, Qt::Key_1);
    EXPECT_EQ(1.0, CharAt(*Edit, 1).fontPointSize());
    QTest::keyClick(sizeEdit, Qt::Key_3);
    EXPECT_EQ(13.0, CharAt(*Edit, 0).fontPointSize());
    EXPECT_EQ(13.0, CharAt(*Edit, 2).fontPointSize());
    // Letters never get into the box; an empty box means the fallback size.
    QTest::keyClicks(sizeEdit, "x,");
    EXPECT_EQ("13", C.ComboFontSize->currentText());
    QTest::keyClick(sizeEdit, Qt::Key_Backspace);
    QTest::keyClick(sizeEdit, Qt::Key_Backspace);
    EXPECT_EQ(10.0, CharAt(*Edit, 1).fontPointSize());
    // Enter hands the focus back to the notes; the selection shows the chosen size.
    QTest::keyClicks(sizeEdit, "24");
    QTest::keyClick(sizeEdit, Qt::Key_Return);
    EXPECT_TRUE(Edit->hasFocus());
    EXPECT_EQ(24.0, CharAt(*Edit, 1).fontPointSize());
    EXPECT_EQ("24", C.ComboFontSize->currentText());
}

TEST_F(NotesPageTest, PastingIntoTheSizeBoxKeepsItsDigits)
{
    Type("abc");
    SelectAll();
    QLineEdit* sizeEdit = C.ComboFontSize->lineEdit();
    sizeEdit->selectAll();
    PasteByKey(sizeEdit, "1x4 pt");
    EXPECT_EQ("14", C.ComboFontSize->currentText());
    EXPECT_EQ(14.0, CharAt(*Edit, 1).fontPointSize());
}

TEST_F(NotesPageTest, TabTogglesItalicAndInsertsNoTab)
{
    Type("a");
    QTest::keyClick(Edit, Qt::Key_Tab);
    EXPECT_TRUE(C.TBItalic->isChecked());
    Type("b");
    QTest::keyClick(Edit, Qt::Key_Tab);
    Type("c");
    EXPECT_EQ("abc", Edit->toPlainText());
    EXPECT_FALSE(CharAt(*Edit, 0).fontItalic());
    EXPECT_TRUE(CharAt(*Edit, 1).fontItalic());
    EXPECT_FALSE(CharAt(*Edit, 2).fontItalic());
    EXPECT_TRUE(Edit->hasFocus());
}

TEST_F(NotesPageTest, ControlKeysToggleStylesOfTheSelection)
{
    Type("styled");
    SelectAll();
    QTest::keyClick(Edit, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_S, Qt::ControlModifier);
    const QTextCharFormat on = CharAt(*Edit, 3);
    EXPECT_EQ(QFont::Bold, on.fontWeight());
    EXPECT_TRUE(on.fontItalic());
    EXPECT_TRUE(on.fontUnderline());
    EXPECT_TRUE(on.fontStrikeOut());
    EXPECT_TRUE(C.TBBold->isChecked());
    EXPECT_TRUE(C.TBItalic->isChecked());
    EXPECT_TRUE(C.TBUnderline->isChecked());
    EXPECT_EQ("styled", Edit->toPlainText());

    QTest::keyClick(Edit, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(QFont::Normal, CharAt(*Edit, 3).fontWeight());
    EXPECT_TRUE(CharAt(*Edit, 3).fontItalic());
    QTest::keyClick(Edit, Qt::Key_N, Qt::ControlModifier);
    const QTextCharFormat off = CharAt(*Edit, 3);
    EXPECT_FALSE(off.fontItalic() || off.fontUnderline() || off.fontStrikeOut());
    EXPECT_FALSE(C.TBItalic->isChecked());
}

TEST_F(NotesPageTest, ButtonsFollowTheSelectionWithoutWritingBack)
{
    Type("plain ");
    QTest::mouseClick(C.TBBold, Qt::LeftButton);
    Type("bold");
    EXPECT_EQ(QFont::Bold, CharAt(*Edit, 8).fontWeight());
    EXPECT_EQ(QFont::Normal, CharAt(*Edit, 2).fontWeight());

    QTest::keyClick(Edit, Qt::Key_Home);
    QTest::keyClick(Edit, Qt::Key_Right);
    EXPECT_FALSE(C.TBBold->isChecked());
    QTest::keyClick(Edit, Qt::Key_End);
    EXPECT_TRUE(C.TBBold->isChecked());
    // A selection that is only partly bold shows the button up and leaves the text alone.
    SelectAll();
    EXPECT_FALSE(C.TBBold->isChecked());
    EXPECT_EQ(QFont::Bold, CharAt(*Edit, 8).fontWeight());
    QTest::mouseClick(C.TBUnderline, Qt::LeftButton);
    EXPECT_TRUE(CharAt(*Edit, 0).fontUnderline());
    EXPECT_TRUE(CharAt(*Edit, 9).fontUnderline());
}

TEST_F(NotesPageTest, FontNameListChoosesTheFontOfTheSelection)
{
    ASSERT_GE(C.ComboFontName->count(), 2);
    Type("font");
    SelectAll();
    const int before = C.ComboFontName->currentIndex();
    C.ComboFontName->setFocus();
    QTest::keyClick(C.ComboFontName,
                    before + 1 < C.ComboFontName->count() ? Qt::Key_Down : Qt::Key_Up);
    const QString chosen = C.ComboFontName->currentText();
    EXPECT_NE(before, C.ComboFontName->currentIndex());
    EXPECT_EQ(QStringList{chosen}, CharAt(*Edit, 2).fontFamilies().toStringList());
    EXPECT_TRUE(Edit->hasFocus());
}

TEST_F(NotesPageTest, AlignmentButtonsAndMenuUseTheirTags)
{
    Type("line");
    QTest::mouseClick(C.TBCenter, Qt::LeftButton);
    EXPECT_EQ(Qt::AlignHCenter, Edit->alignment() & Qt::AlignHorizontal_Mask);
    EXPECT_TRUE(C.TBCenter->isChecked());
    EXPECT_FALSE(C.TBLeft->isChecked());
    EXPECT_EQ(TNotesPage::kAlignCenter, C.mnuAlignCenter->data().toInt());
    EXPECT_EQ(TNotesPage::kAlignRight, C.mnuAlignRight->data().toInt());

    ContextMenu();
    EXPECT_TRUE(C.mnuAlignCenter->isChecked());
    C.mnuAlignRight->trigger();
    C.PopupMenu->close();
    EXPECT_EQ(Qt::AlignRight, Edit->alignment() & Qt::AlignHorizontal_Mask);
    EXPECT_TRUE(C.TBRight->isChecked());

    // A new paragraph typed after Enter keeps its own alignment button state.
    QTest::keyClick(Edit, Qt::Key_Return);
    QTest::mouseClick(C.TBLeft, Qt::LeftButton);
    QTest::keyClick(Edit, Qt::Key_Up);
    EXPECT_TRUE(C.TBRight->isChecked());
}

TEST_F(NotesPageTest, PasteUsesCourierNewAndUndoFollowsTheEditor)
{
    QApplication::clipboard()->setText("pasted");
    EXPECT_TRUE(C.TBPaste->isEnabled());
    EXPECT_FALSE(C.TBUndo->isEnabled());
    Type("x");
    EXPECT_TRUE(C.TBUndo->isEnabled());
    QTest::mouseClick(C.TBPaste, Qt::LeftButton);
    EXPECT_EQ("xpasted", Edit->toPlainText());
    EXPECT_EQ(QStringList{"Courier New"}, CharAt(*Edit, 3).fontFamilies().toStringList());
    EXPECT_TRUE(Edit->hasFocus());

    QTest::mouseClick(C.TBUndo, Qt::LeftButton);
    EXPECT_EQ("x", Edit->toPlainText());

    QApplication::clipboard()->clear();
    EXPECT_FALSE(C.TBPaste->isEnabled());
}

TEST_F(NotesPageTest, StoredNotesLoadUnchangedAndSaveAsRtf)
{
    Page.SetInfo("12.5.2024 10:11:12", "10.0", "0", "2 min 5.5 sec", "123.4 m");
    EXPECT_EQ("2 min 5.5 sec", C.EditFlyTime->text());
    EXPECT_TRUE(C.EditMaxAlt->isReadOnly());
    Page.ClearInfo();
    EXPECT_TRUE(C.EditDate->text().isEmpty());

    Page.LoadNotes("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Arial;}}\\f0\\fs20 "
                   "\\b P\\'f8\\'edli\\'9a\\b0  notes\\par}");
    EXPECT_EQ("Příliš notes", Edit->toPlainText());
    EXPECT_FALSE(Page.NotesModified());
    EXPECT_FALSE(C.TBUndo->isEnabled());
    EXPECT_TRUE(C.TBBold->isChecked()); // the caret is at the start, in bold text
    EXPECT_EQ("10", C.ComboFontSize->currentText());

    QTest::keyClick(Edit, Qt::Key_End);
    Type(" more");
    EXPECT_TRUE(Page.NotesModified());
    const std::string saved = Page.SaveNotes();
    QTextDocument back;
    LoadNotesDocument(saved, back);
    EXPECT_EQ("Příliš notes more", back.toPlainText());
    EXPECT_EQ(QFont::Bold, back.begin().begin().fragment().charFormat().fontWeight());

    Page.LoadNotes("old plain notes");
    EXPECT_EQ("old plain notes", Edit->toPlainText());
    EXPECT_FALSE(Page.NotesModified());
    Page.ClearNotes();
    EXPECT_TRUE(Edit->toPlainText().isEmpty());
    EXPECT_FALSE(Page.NotesModified());
    EXPECT_FALSE(Edit->document()->isUndoAvailable());
}

// Answers the printer set-up with a PDF file, as a user choosing a file printer would, and the
// font dialog with a chosen font; every other dialog goes to the scripted answers.
class THookedDialogs final : public TUserDialogs {
public:
    TScriptedDialogs Script;
    QString File;
    std::optional<QFont> Font;
    QFont OfferedFont;
    QStringList Errors() const { return Script.Errors(); }

    bool SetupPrinter(QWidget*, QPrinter& printer) override
    {
        Script.Log << "printer";
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(File);
        return true;
    }
    bool ChooseFont(QWidget*, QFont& font) override
    {
        OfferedFont = font;
        if (!Font)
            return false;
        font = *Font;
        return true;
    }
    void ShowError(QWidget* p, const QString& t) override { Script.ShowError(p, t); }
    void ShowMessage(QWidget* p, const QString& t) override { Script.ShowMessage(p, t); }
    void ShowInformation(QWidget* p, const QString& t, const QString& b) override
    {
        Script.ShowInformation(p, t, b);
    }
    TAnswer AskYesNo(QWidget* p, const QString& t, bool i, TAnswer d) override
    {
        return Script.AskYesNo(p, t, i, d);
    }
    TAnswer AskYesNoCancel(QWidget* p, const QString& t) override
    {
        return Script.AskYesNoCancel(p, t);
    }
    TAnswer AskYesNoAll(QWidget* p, const QString& t) override { return Script.AskYesNoAll(p, t); }
    int AskChoice(QWidget* p, const QString& t, const QStringList& b, int d, int e) override
    {
        return Script.AskChoice(p, t, b, d, e);
    }
    QString GetSaveFileName(QWidget* p, const QString& t, const QString& d, const QString& f,
                            const QString& s, bool a) override
    {
        return Script.GetSaveFileName(p, t, d, f, s, a);
    }
    TSaveChoice GetSaveFileNameOfType(QWidget* p, const QString& t, const QString& d,
                                      const QString& f) override
    {
        return Script.GetSaveFileNameOfType(p, t, d, f);
    }
    QStringList GetOpenFileNames(QWidget* p, const QString& t, const QString& d,
                                 const QString& f) override
    {
        return Script.GetOpenFileNames(p, t, d, f);
    }
    QString GetExistingDirectory(QWidget* p, const QString& t, const QString& s) override
    {
        return Script.GetExistingDirectory(p, t, s);
    }
    bool ChooseColor(QWidget* p, QColor& c) override { return Script.ChooseColor(p, c); }
    int Exec(QDialog& d) override { return Script.Exec(d); }
};

TEST_F(NotesPageTest, PrintingWritesTheNotesOrReportsTheFailure)
{
    QTemporaryDir dir;
    auto dialogs = std::make_unique<THookedDialogs>();
    THookedDialogs& pdf = *dialogs;
    pdf.File = dir.filePath("notes.pdf");
    SetDialogs(std::move(dialogs));
    for (int i = 0; i < 80; ++i) {
        Type(QString("line %1").arg(i));
        QTest::keyClick(Edit, Qt::Key_Return);
    }
    QTest::mouseClick(C.TBPrint, Qt::LeftButton);
    EXPECT_TRUE(pdf.Errors().isEmpty()) << pdf.Errors().join("|").toStdString();
    const QByteArray bytes = ReadBytes(pdf.File);
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);

    // A file that cannot be created: the error box, and the notes stay as they were.
    pdf.File = dir.filePath("missing/folder/notes.pdf");
    const QString before = Edit->toPlainText();
    C.mnuPrint->trigger();
    ASSERT_EQ(1, pdf.Errors().size());
    EXPECT_TRUE(pdf.Errors().front().startsWith("Error by Printig richedit!\n"));
    EXPECT_EQ(before, Edit->toPlainText());

    // Cancelled set-up prints nothing.
    TScriptedDialogs& scripted = InstallScriptedDialogs();
    QTest::mouseClick(C.TBPrint, Qt::LeftButton);
    EXPECT_EQ(QStringList{"printer"}, scripted.Log);
}

TEST_F(NotesPageTest, FontDialogAppliesItsChoiceToTheSelection)
{
    auto dialogs = std::make_unique<THookedDialogs>();
    THookedDialogs& hooked = *dialogs;
    SetDialogs(std::move(dialogs));
    Type("some ");
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(17);
    Edit->mergeCurrentCharFormat(bold);
    Type("text");
    QTest::keyClick(Edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(Edit, Qt::Key_Left, Qt::ShiftModifier);

    // Cancelled: nothing changes; the dialog was offered the selection's font.
    QTest::mouseClick(C.TBFont, Qt::LeftButton);
    EXPECT_EQ(17.0, hooked.OfferedFont.pointSizeF());
    EXPECT_TRUE(hooked.OfferedFont.bold());
    EXPECT_EQ(17.0, CharAt(*Edit, 7).fontPointSize());

    QFont chosen(C.ComboFontName->itemText(0));
    chosen.setPointSize(24);
    chosen.setItalic(true);
    chosen.setStrikeOut(true);
    hooked.Font = chosen;
    C.mnuFont->trigger();
    const QTextCharFormat f = CharAt(*Edit, 7);
    EXPECT_EQ(24.0, f.fontPointSize());
    EXPECT_TRUE(f.fontItalic());
    EXPECT_TRUE(f.fontStrikeOut());
    EXPECT_EQ(QFont::Normal, f.fontWeight());
    EXPECT_EQ(QStringList{chosen.family()}, f.fontFamilies().toStringList());
    EXPECT_EQ(17.0, CharAt(*Edit, 6).fontPointSize()); // outside the selection
    EXPECT_EQ("24", C.ComboFontSize->currentText());
    EXPECT_TRUE(C.TBItalic->isChecked());
    EXPECT_EQ(0, C.ComboFontName->currentIndex());
}

} // namespace
