// SPDX-License-Identifier: GPL-2.0-or-later
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
#include "platform/shell/fs.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kesto {

class Kesto;
class MainModule;

class Form1 : public forms::Form
{
    Q_OBJECT
public:
    // The collector list takes at most this many items.
    static constexpr int kListLimit = 32000;
    // The most of a list file that is read: the list's limit of the longest paths (4096 bytes)
    // with their line ends. A longer file is no list file (a device that never ends, say).
    static constexpr qint64 kMaxListFileBytes = qint64(kListLimit) * (4096 + 2);

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
    // Appends the entries of a list file (code page 932; ";" comments) to txt. Only a regular
    // file of at most kMaxListFileBytes is read. False when the file could not be read or a
    // line was left out (bytes that are not code page 932 would make it another name).
    bool DropFile(forms::ListBox &txt, const QString &strFN);
    // Shows the item count in Label1.
    void updateCount();
    void removeSelected();
    // Appends every non-empty line of text that ends with a line end (CR LF, LF or CR). False
    // when text ends in a piece without a line end, which is left out. taken, when given, tells
    // for each closed line (closedLines) whether it was taken (an empty line counts as taken),
    // also when the limit ends the paste.
    bool addTextLines(const QString &text, std::vector<bool> *taken = nullptr);
    // Appends path, and when it is a folder its files (deep: its subfolders first, walked in
    // turn). Symbolic links to folders are listed but never walked; names that are not valid
    // in the file system's encoding are left out and counted.
    void addFolder(const QString &path, forms::ListBox &list, bool deep);
    // The selected items, each followed by CR LF, and one more CR LF when any is selected.
    // An item holding a line end cannot travel as a line: it is left out of the text, and
    // held gets its mark (reported here when held is not given).
    QString selectedText(forms::ListBox::Marks *sent = nullptr, forms::ListBox::Marks *held = nullptr);
    // Overwrites outputFile with text (code page 932) when that file exists: the text goes to
    // a new file in the same folder, which then takes the old one's place, so that a failed
    // write leaves the old file whole. False, reported with the system's reason, when the
    // file could not be written.
    bool writeOutputFile(const QString &text);
    // Why name, written as a line of a list file, would read back as another name, in Kesto
    // or in Tavlo; empty when it reads back as itself. readBack is the name after a round
    // trip through code page 932.
    static QString listLineProblem(const QString &name, const QString &readBack);
    static QString joinPath(const QString &folder, const QString &name);

    // ---- GV ----
    // Has GV convert every line of str into a bitmap in the folder "Convert" below the
    // browser's folder. A name counts as converted only when GV answered OK to its open and
    // to its save and the bitmap is there afterwards. True when every name was; arrived, when
    // given, tells for each closed line of str (closedLines) whether it was (an empty line
    // names nothing and counts as arrived). What failed is reported in one message.
    bool callUpGV(const QString &str, std::vector<bool> *arrived = nullptr);
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
    {};
    void appendItem(forms::ListBox &list, const QString &item);
    void expandFiles();
    // The local files of a file-list drop, without those whose names are not valid in the
    // file system's encoding (counted in leftOut_).
    QStringList droppedFiles(const forms::DataObject &data);
    // Sets the effect of a drop that was offered lines and took those marked in taken: copy
    // when it took them all, none otherwise. A drop of this window's own drag remembers what
    // it took, so that only that leaves the list.
    void settleDrop(const std::vector<bool> &taken, int &effect);
    // Writes the lines of a text dropped on Label3 into outputFile, all but those that would
    // not read back as themselves, and sets the drop's effect.
    void writeListLines(const QString &text, int &effect);
    // Why each line of text (closed as a list file closes its last line; the lines in *lines)
    // would not read back as itself from the list file; empty for one that would.
    static QStringList listLineProblems(QString text, QStringList *lines);
    // Whether a drop of text from another program could be taken whole: by the list (target
    // 1: every name fits) or by the list file (target 3: it exists and every name reads back).
    bool overCheck(const QString &text, int target);
    void report(const QString &text);
    void reportOverflow();
    void reportLeftOut();
    void reportHeldBack(int n);
    void showReports();
    // Lets pending events run, at most about every 10 ms: long loops stay responsive
    // without paying for it at every item. Does not return once Kesto has ended.
    void pace();
    bool sendToGV(const QString &cmd, int boundMs, QString *answer = nullptr);
    bool startGV(QString *why);
    // Lets GV go after a failure: tells it to end, closes the link. Returns false.
    bool gvFailed();
    enum class Conversion { Arrived, Failed, Stopped, Lost };
    // One name through GV: opened, copied and saved, and its bitmap checked. why says what
    // failed; Stopped means the batch cannot go on, Lost that GV stopped answering.
    Conversion convertOne(const QString &path, QSet<QString> &written, QString *why);
    void reportConversion(int converted, int names, const QStringList &failed, const QString &stopped);
    QString gvTrouble_; // what the last failed exchange with GV said
    Kesto &app_;
    std::unique_ptr<SaveHeight> saved_;
    forms::ListBox::Marks dragged_;             // the items of the drag under way, in the order of its lines
    forms::ListBox::Marks heldBack_;            // selected items that could not go with it
    bool heldBackTold_ = false;                 // a drop here has reported them already
    std::optional<std::vector<bool>> ownTaken_; // which lines a drop of that drag here took
    bool draggingOut_ = false;
    // The last verdict of overCheck and what it was given.
    int overTarget_ = 0;
    QString overText_;
    int overCount_ = -1;
    fs::FileStamp overFile_;
    bool overVerdict_ = false;
    int leftOut_ = 0; // names left out because they are not valid text
    QElapsedTimer paintClock_;
    QStringList pendingReports_;
    bool overflowReported_ = false;
    bool converting_ = false;
};

} // namespace kesto
