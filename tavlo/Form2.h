// SPDX-License-Identifier: GPL-2.0-or-later
// An icon board: a window of small copies of pictures of the list (icons) that the user
// arranges by hand or packs in one of four orders, resizes and scrolls, and prints. Several
// boards may be open at once; every one is named "Form2".
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menu.h"
#include "tavlo/module2.h"

#include <array>
#include <memory>

namespace tavlo {

class Tavlo;
class MainModule;

class Form2 : public forms::Form
{
    Q_OBJECT
public:
    explicit Form2(Tavlo &app);
    ~Form2() override;

    forms::PictureBox Picture1;
    forms::ScrollBar VScroll1;
    forms::ControlArray<forms::Image> Image1;
    forms::TextBox Text1;
    forms::TextBox Text2;
    forms::Timer Timer1;

    forms::Menu menu1;
    forms::Menu menu11k;
    forms::Menu menu11;
    forms::Menu menu12;
    forms::Menu menu90;
    forms::Menu menu13;
    forms::Menu menu14;
    forms::Menu menu91;
    forms::Menu menu19;
    forms::Menu menu2;
    forms::Menu menu3;
    std::array<std::unique_ptr<forms::Menu>, kSizeItems + 1> menu3s; // 1 .. 11
    forms::Menu menu4;
    forms::Menu menuRelocate;
    forms::Menu menu5;
    forms::Menu menu6;
    forms::Menu menu7;
    forms::Menu menu8;
    forms::Menu menuKesto;
    forms::Menu menuShow;
    forms::Menu menuStopGV;

    // Per-board state.
    bool fileDragMode = false;
    bool deleteMode = false;
    bool journalMode = false;
    bool shiftHeld = false, ctrlHeld = false;
    float grabX = 0, grabY = 0;
    qint16 dragIndex = 0;
    qint16 lastClicked = 0;
    bool busy = false;
    bool tick = false, stopShow = false;
    qint16 gvShownIdx = -1;
    IconRecs placed{};
    float printScale = 0, pageTop = 0;

    // Packs every visible icon anew in one of the orders 1 (position), 4 (aspect), 5 (area),
    // 6 (list).
    void relocateIcons(int order);
    // The same behind the busy guard: a relocation asked for while one runs is refused.
    void relocate(int order);
    // Sets iconArea from size menu item index (1 .. 11), or with 0 re-synchronises the checked
    // item with iconArea.
    void selectSize(int index);
    // Prints the visible icons: mode 0 fitted to the paper's width, 1 at full size, 2 doubled.
    void printBoard(int mode);
    // The board's records of its visible icons in index order, sorted by position; their count.
    int recordVisibleIcons();

    // The links to GV (Text1) and Kesto (Text2).
    // Sends one command to GV once it is ready; true when sending failed.
    bool execGV(const QString &cmd);
    // Starts GV, links to it and executes first at once; true when the conversation is open.
    bool openGV(const QString &first);
    // Sends one picture's full path to Kesto; raises the Link error when Kesto cannot be reached.
    void sendToKesto(int slot);
    // Shows icon i's picture in GV at the icon's zoom.
    void showInGV(int i);
    // The fileNames slot of icon i: its picture number less one.
    int slotOf(int i) const;
    // How long the slide show waits on each picture (the timer's interval).
    int slideIntervalMs = 3000;

    // Icon clicks: the handling the mouse press runs, and the control's own click.
    void clickIcon(int i);

    // Handlers.
    void Image1_MouseDown(int index, int button, int shift, float x, float y);
    void Image1_Click(int index);
    void Image1_DblClick(int index);
    void Image1_DragDrop(int index, forms::Control &source, float x, float y);
    void Image1_OLEStartDrag(int index, forms::DataObject &data, int &allowedEffects);
    void Image1_OLECompleteDrag(int index, int &effect);
    void Picture1_DragDrop(forms::Control &source, float x, float y);
    void Timer1_Timer();
    void menuShow_Click();
    void menuStopGV_Click();
    void menuKesto_Click();
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_KeyDown(int &keyCode, int shift) override;
    void Form_QueryUnload(int &cancel, int unloadMode) override;
    void Form_Unload(int &cancel) override;
    void VScroll1_Change();
    void VScroll1_Scroll();
    void menu11k_Click();
    void menu11_Click();
    void menu12_Click();
    void menu13_Click();
    void menu14_Click();
    void menu19_Click();
    void menu2_Click();
    void menu3s_Click(int index);
    void menu4_Click();
    void menu5_Click();
    void menu6_Click();
    void menu7_Click();
    void menu8_Click();

private:
    MainModule &m() const;
    void leaveAsCurrentBoard();
    // Shows the message window 300 twips above and right of the board's corner.
    void showMessageBeside(const QString &text);
    // Tells the user that Kesto could not take a transfer.
    void reportKestoDown(const QString &why);
    Tavlo &app_;
};

} // namespace tavlo
