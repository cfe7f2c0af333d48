// Kesto's main window "KESTO": the collector list with its count, the two drop areas (list
// file output and GV conversion), the file browser (drive, folder and file lists) with the
// folder log, the menu, the resize layout with its drop-only view, and the Link topic "KESTO"
// through which Tavlo feeds file names.
#pragma once

#include "kesto/SaveHeight.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menu.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>

class Kesto;
class MainModule;

class Form1 : public forms::Form
{
    Q_OBJECT
public:
    // The collector list takes at most this many items.
    static constexpr int kListLimit = 32000;

    explicit Form1(Kesto &app);
    ~Form1() override;

    forms::DriveListBox Drive1;
    forms::FileListBox File1;
    forms::DirListBox Dir1;
    forms::TextBox Text1; // the GV link box, hidden
    forms::TextBox Text2; // the folder log
    forms::Label Label1;  // the count
    forms::Label Label2;  // drop area: GV conversion
    forms::Label Label3;  // drop area: list file output
    forms::ListBox List1; // the collector list

    forms::Menu menuFile;
    forms::Menu menuFront;
    forms::Menu menuDrop;
    forms::Menu menuEnd;

    // The list file that Label3 writes; set by a file drop on Label3.
    QString outputFile;

    // ---- the collector list ----
    // Appends the entries of a list file (code page 932; ";" comments) to txt.
    void DropFile(forms::ListBox &txt, const QString &strFN);
    // Shows the item count in Label1.
    void updateCount();
    void removeSelected();
    // Appends every non-empty line of text that ends with a line end (CR LF, LF or CR).
    void addTextLines(const QString &text);
    // Appends path, and when it is a folder its files (deep: its subfolders first, walked in
    // turn). Symbolic links to folders are listed but never walked.
    void addFolder(const QString &path, forms::ListBox &list, bool deep);
    // The selected items, each followed by CR LF, and one more CR LF when any is selected.
    QString selectedText() const;
    // Overwrites outputFile with text (code page 932) when that file exists; false when the
    // file could not be written.
    bool writeOutputFile(const QString &text);
    static QString joinPath(const QString &folder, const QString &name);

    // ---- GV ----
    // Has GV convert every line of str into a bitmap in the folder "Convert" below the
    // browser's folder. False when nothing could be converted (no GV path, GV could not be
    // started or stopped answering): the names then stay in the list.
    bool callUpGV(const QString &str);
    // Sends one command to GV once it is ready; false when GV did not get it.
    bool ExecGV(const QString &cmd);
    struct SplitPath
    {
        QString folder, base, ext;
        bool failed = true;
    };
    static SplitPath splitPath(const QString &path);

    // ---- the window ----
    void appendLogLine(forms::TextBox &box, const QString &line);
    static QString currentLogLine(const forms::TextBox &box);
    void saveLayout();
    void restoreLayout();
    void showPanels(bool flag);
    // How long a wait for GV may last before a conversion gives up, and at the end.
    int gvBoundMs = 30000;
    int gvEndBoundMs = 5000;

    // Handlers, named after the control and the event.
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(int &cancel) override;
    void Form_LinkOpen(int &cancel) override;
    void Form_LinkExecute(const QString &cmdStr, int &cancel) override;
    void List1_KeyDown(int &keyCode, int shift);
    void List1_MouseDown(int button, int shift, float x, float y);
    void List1_OLEStartDrag(forms::DataObject &data, int &allowedEffects);
    void List1_OLECompleteDrag(int &effect);
    void List1_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y, int state);
    void List1_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y);
    void Label3_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y, int state);
    void Label3_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y);
    void Label2_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y, int state);
    void Label2_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y);
    void Drive1_Change();
    void Dir1_Click();
    void Dir1_Change();
    void File1_DblClick();
    void File1_KeyDown(int &keyCode, int shift);
    void File1_MouseDown(int button, int shift, float x, float y);
    void File1_OLEStartDrag(forms::DataObject &data, int &allowedEffects);
    void Text2_KeyDown(int &keyCode, int shift);
    void menuFront_Click();
    void menuDrop_Click();
    void menuEnd_Click();

    // Messages shown after the event that caused them (a failed list file, the list limit, a
    // GV that stopped answering), gathered into one message box. Tests read them here.
    QStringList shownReports;

private:
    MainModule &m() const;
    // Thrown when the list is full, or Kesto ends, to stop the operation that appends.
    struct StopAppending
    {
    };
    void appendItem(forms::ListBox &list, const QString &item);
    void expandFiles();
    void report(const QString &text);
    void reportOverflow();
    // Lets pending events run, at most about every 10 ms: long loops stay responsive
    // without paying for it at every item. Does not return once Kesto has ended.
    void pace();
    bool sendToGV(const QString &cmd, int boundMs);
    bool startGV();
    bool gvFailed(const QString &what);
    Kesto &app_;
    std::unique_ptr<SaveHeight> saved_;
    forms::ListBox::Marks dragged_; // the items of the drag under way
    QElapsedTimer paintClock_;
    QStringList pendingReports_;
    bool overflowReported_ = false;
    bool converting_ = false;
};
