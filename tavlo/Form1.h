// SPDX-License-Identifier: GPL-2.0-or-later
// Tavlo's main window: shows one picture of the picture list at a time on the canvas, steps
// through the list, jumps by number, switches between list files, prints the picture, starts
// Kesto, and arranges itself around each picture (canvas, window height, scroll bars).
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menu.h"

#include <QString>

namespace tavlo {

class Tavlo;
class MainModule;
class Form2;

// An icon's size for a picture and the scale it was reduced by (0 for icon and cursor files,
// which are doubled instead).
struct IconSize
{
    float width, height, scale;
};

class Form1 : public forms::Form
{
    Q_OBJECT
public:
    explicit Form1(Tavlo &app);

    forms::CommandButton Command1;
    forms::TextBox Text1;
    forms::TextBox Text3;
    forms::CommandButton Command3;
    forms::CommandButton Command2;
    forms::ComboBox Combo1;
    forms::PictureBox Picture1;
    forms::ScrollBar VScroll1;
    forms::ScrollBar HScroll1;
    forms::Line Line1;
    forms::Label Label1;

    forms::Menu menu1;
    forms::Menu menuKesto;
    forms::Menu menu11;
    forms::Menu menu12;
    forms::Menu menu13;
    forms::Menu menu3;
    forms::Menu menu4;
    forms::Menu menu5;

    bool stopCopy = false;

    // The icon board: copy the shown picture onto it, copy it and every following picture,
    // open a new board.
    void copy();
    void copyAll();
    void newBoard();
    static IconSize iconSizeFor(float width, float height, float area, bool iconFile);

    // Drops: the lines of a dropped text, each ended by CR LF (or LF, or CR), and one empty text
    // after them; error 6 for a text longer than 32767 characters.
    static QStringList splitLines(const QString &text);
    // Appends one dropped picture to the list, or reads a dropped list file; false when the
    // name was not taken (another kind, a full list, a list file that cannot be read).
    bool addDroppedItem(const QString &path);

    // Moves the shown slot by step around the list and shows that picture.
    void showStep(int step);
    void handleKey(int keyCode);
    void layoutWindow();
    // Keeps a window on the work area: pulled left, and cut in height (never below 600 twips).
    void fitToWorkArea(forms::Form &window);
    // Shows the names of a folder's files in a message box and returns the folder's path.
    QString ShowFileList(const QString &folderspec);

    // Handlers, named after the control and the event.
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Click() override;
    void Form_Unload(int &cancel) override;
    void Command1_Click();
    void Command3_Click();
    void Command1_KeyDown(int &keyCode, int shift);
    void Command2_KeyDown(int &keyCode, int shift);
    void Command3_KeyDown(int &keyCode, int shift);
    void HScroll1_KeyDown(int &keyCode, int shift);
    void VScroll1_KeyDown(int &keyCode, int shift);
    void Picture1_KeyPress(int &keyAscii);
    void Text1_KeyDown(int &keyCode, int shift);
    void Text1_LostFocus();
    void Text1_Change();
    void Combo1_Click();
    void Combo1_KeyDown(int &keyCode, int shift);
    void HScroll1_Change();
    void HScroll1_Scroll();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void SysInfo1_DisplayChanged();
    void menuKesto_Click();
    void menu11_Click();
    void menu13_Click();
    void Command2_Click();
    void menu3_Click();
    void menu4_Click();
    void menu5_Click();
    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Picture1_OLEStartDrag(forms::DataObject &data, int &allowedEffects);
    void Picture1_OLECompleteDrag(int &effect);
    void Picture1_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y, int state);
    void Picture1_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y);
    void Form_OLEDragOver(forms::DataObject &data, int &effect, int button, int shift, float x, float y,
                          int state) override;
    void Form_OLEDragDrop(forms::DataObject &data, int &effect, int button, int shift, float x, float y) override;

private:
    // The names a drop offers: the lines of a text (preferred), or the paths of a file list.
    struct DropOffer
    {
        enum Kind { None, Text, Files } kind = None;
        QStringList items;
        bool tooLong = false; // a text longer than the window can count
        bool cutTail = false; // text after the last line end, which is not taken
    };
    static DropOffer offerOf(forms::DataObject &data);
    // Every name offered would join the list (a picture with a free slot, a readable list file).
    bool wouldTakeAll(const DropOffer &offer) const;
    bool wouldTakeAny(const DropOffer &offer) const;
    bool dropTaken_ = false; // what the drag-over decided for the drag that came in last

    MainModule &m() const;
    // curIndex for a number typed into Text1 (already made 0-based): the nearest whole
    // number; a number beyond the 16-bit range is taken around the list instead of failing.
    void setIndexFromTyped(double v);
    void reportBadPicture();
    // Sets the toggle's caption and gives the focus to the board when it is the narrower
    // window, else to this one.
    void boardShown();
    // One try of copy on the current board; false when the board could not take the icon.
    bool copyOnto(Form2 &board);
    bool dropIcon(Form2 &board, int n);
    Tavlo &app_;
};

} // namespace tavlo
