// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Form.h"

#include "platform/forms/Control.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Label.h"
#include "platform/forms/ListBox.h"
#include "platform/forms/MenuBar.h"
#include "platform/forms/Program.h"
#include "platform/forms/Screen.h"
#include "platform/forms/TextBox.h"
#include "platform/vb/vb.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace forms {

static QMargins decorationsOf(const QWidget *w)
{
    if (w->isVisible()) {
        const QRect outer = w->frameGeometry(), inner = w->geometry();
        const QMargins m(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
        Program::current().lastDecorations() = m;
        return m;
    }
    return Program::current().lastDecorations();
}

class FormWindow : public QMainWindow
{
public:
    explicit FormWindow(Form &form) : form_(form)
    {
        // A window is as high as the program says, even below its menu bar's rows (the client
        // area is then empty). Left to the layout, the minimum would hold the menu bar at its
        // narrowest, one title a row.
        setMinimumSize(1, 1);
    }
    Form &form() const { return form_; }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::WindowActivate)
            runEvent([this] { form_.activated(); });
        else if (e->type() == QEvent::WindowDeactivate)
            runEvent([this] { form_.Form_Deactivate(); });
        return QMainWindow::event(e);
    }
    void closeEvent(QCloseEvent *e) override
    {
        if (form_.closeRequested())
            e->accept();
        else
            e->ignore();
    }
    void moveEvent(QMoveEvent *e) override
    {
        QMainWindow::moveEvent(e);
        form_.windowMoved(frameGeometry().topLeft());
    }

private:
    Form &form_;
};

class FormClient : public QWidget
{
public:
    explicit FormClient(Form &form) : form_(form)
    {
        setFocusPolicy(Qt::NoFocus);
        setMinimumSize(0, 0);
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QWidget::resizeEvent(e);
        form_.clientResized(size());
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        pressed_ = e->button() == Qt::LeftButton;
        QWidget::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        QWidget::mouseReleaseEvent(e);
        if (pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
            pressed_ = false;
            runEvent([this] { form_.Form_Click(); });
        }
    }
    // Keys reach the window itself only when none of its controls can take the focus (the
    // window then holds it); a key a control let pass on its way up is no key of the window's.
    void keyPressEvent(QKeyEvent *e) override
    {
        const bool tab = (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) &&
                         !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (!hasFocus() || tab) {
            QWidget::keyPressEvent(e);
            return;
        }
        int code = keyCodeOf(e);
        const int shift = shiftOf(e);
        if (code != 0)
            runEvent([&] { form_.Form_KeyDown(code, shift); });
        const QString text = e->text();
        if (!text.isEmpty() && text.at(0).unicode() != 0x7F) {
            int ascii = text.at(0).unicode();
            runEvent([&] { form_.Form_KeyPress(ascii); });
        }
    }
    void paintEvent(QPaintEvent *e) override
    {
        if (form_.printed_.empty())
            return;
        QPainter p(this);
        p.setFont(font());
        const QFontMetrics fm(font());
        const QRect exposed = e->rect();
        for (const auto &line : form_.printed_) {
            const QPointF at(line.at.x() / kTwipsPerPixel, line.at.y() / kTwipsPerPixel);
            if (at.y() > exposed.bottom() || at.y() + fm.height() < exposed.top() || at.x() > exposed.right())
                continue; // only the lines of the part to paint are laid out
            p.drawText(QPointF(at.x(), at.y() + fm.ascent()), line.text);
        }
    }

private:
    Form &form_;
    bool pressed_ = false;
};

Form *Form::of(QWidget *w)
{
    if (!w)
        return nullptr;
    if (auto *fw = dynamic_cast<FormWindow *>(w->window()))
        return &fw->form();
    return nullptr;
}

Form::Form(Forms &forms, const QString &name, float scaleWidth, float scaleHeight)
    : forms_(forms),
      window_(new FormWindow(*this)),
      client_(new FormClient(*this)),
      scaleW_(scaleWidth),
      scaleH_(scaleHeight)
{
    setObjectName(name);
    caption_ = name;
    window_->setObjectName(name);
    window_->setWindowTitle(name);
    window_->setCentralWidget(client_);
    client_->setFont(uiFont(9));
    applyGeometry();
}

// Answers the program's Link server for this form's topic.
class Form::LinkSource : public suite_link::TopicHandler
{
public:
    explicit LinkSource(Form &form) : form_(form) {}
    bool linkOpen() override
    {
        int cancel = 0;
        runEvent([&] { form_.Form_LinkOpen(cancel); });
        return cancel != 0;
    }
    bool linkExecute(const QString &command) override
    {
        int cancel = vb::True;
        runEvent([&] { form_.Form_LinkExecute(command, cancel); });
        return cancel != 0;
    }
    void linkError(int number) override
    {
        runEvent([&] { form_.Form_LinkError(number); });
    }
    void linkClose() override
    {
        runEvent([&] { form_.Form_LinkClose(); });
    }
    std::optional<QString> linkItem(const QString &item) override
    {
        Control *c = form_.control(item);
        if (auto *t = qobject_cast<TextBox *>(c))
            return t->Text();
        if (auto *l = qobject_cast<Label *>(c))
            return l->Caption();
        // A list answers with its items, each followed by CR LF.
        if (auto *list = qobject_cast<ListBox *>(c)) {
            QString items;
            for (int i = 0; i < list->ListCount(); ++i)
                items += list->List(i) + QStringLiteral("\r\n");
            return items;
        }
        return std::nullopt;
    }

private:
    Form &form_;
};

void Form::setLinkTopic(const QString &topic)
{
    const bool serving = linkMode_ == 1;
    if (serving)
        serveTopic(false);
    linkTopic_ = topic;
    if (serving)
        serveTopic(true);
}

void Form::setLinkMode(int mode)
{
    if (mode != 0 && mode != 1)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    if (mode == linkMode_)
        return;
    linkMode_ = mode;
    if (loaded_ || mode == 0)
        serveTopic(mode == 1);
}

void Form::serveTopic(bool on)
{
    suite_link::LinkServer *server = on ? forms_.linkServer() : forms_.server_.get();
    if (!server)
        return;
    if (on) {
        if (!linkSource_)
            linkSource_ = new LinkSource(*this);
        server->addTopic(linkTopic_, linkSource_);
    } else {
        server->removeTopic(linkTopic_);
    }
}

Form::~Form()
{
    if (linkMode_ == 1)
        serveTopic(false);
    delete linkSource_;
    forms_.forget(this);
    forms_.disown(this);
    // Controls first (they unregister here), then the widgets.
    const std::vector<Control *> controls = controls_;
    for (Control *c : controls)
        delete c;
    delete window_;
}

MenuBar *Form::menuBar()
{
    if (!menuBar_) {
        menuBar_ = new MenuBar(window_);
        window_->setMenuWidget(menuBar_);
        menuBar_->setFont(uiFont(9));
    }
    return menuBar_;
}

void Form::setCaption(const QString &c)
{
    caption_ = c;
    window_->setWindowTitle(c);
}

int Form::menuBarHeight(int clientWidth) const
{
    if (!menuBar_ || menuBar_->isHidden())
        return 0;
    menuBar_->ensurePolished();
    // As the window's layout computes it.
    int h = menuBar_->heightForWidth(std::max(clientWidth, menuBar_->minimumWidth()));
    if (h < 0)
        h = menuBar_->sizeHint().height();
    return std::clamp(h, menuBar_->minimumSizeHint().height(), menuBar_->maximumHeight());
}

float Form::frameWidth() const
{
    const QMargins d = decorationsOf(window_);
    return toTwips(d.left() + d.right());
}

float Form::frameHeight() const
{
    const QMargins d = decorationsOf(window_);
    return toTwips(d.top() + d.bottom() + menuBarHeight(toPixels(scaleW_)));
}

float Form::Width() const { return scaleW_ + frameWidth(); }
float Form::Height() const { return scaleH_ + frameHeight(); }

void Form::applyGeometry()
{
    appliedPos_ = QPoint(toPixels(left_), toPixels(top_));
    appliedClient_ = QSize(toPixels(scaleW_), toPixels(scaleH_));
    if (placed_)
        window_->move(appliedPos_);
    window_->resize(appliedClient_.width(), appliedClient_.height() + menuBarHeight(appliedClient_.width()));
}

void Form::setLeft(float v) { Move(v, top_); }
void Form::setTop(float v) { Move(left_, v); }
void Form::setWidth(float v) { resizeClient(std::max(0.0f, v - frameWidth()), scaleH_); }
void Form::setHeight(float v) { resizeClient(scaleW_, std::max(0.0f, v - frameHeight())); }

void Form::Move(float left, float top)
{
    placed_ = true;
    left_ = left;
    top_ = top;
    applyGeometry();
}

void Form::Move(float left, float top, float width, float height)
{
    placed_ = true;
    left_ = left;
    top_ = top;
    resizeClient(std::max(0.0f, width - frameWidth()), std::max(0.0f, height - frameHeight()));
}

void Form::resizeClient(float w, float h)
{
    w = std::min(w, kMaxTwips);
    h = std::min(h, kMaxTwips);
    const bool changed = w != scaleW_ || h != scaleH_;
    scaleW_ = w;
    scaleH_ = h;
    applyGeometry();
    if (changed)
        resized();
}

void Form::resized()
{
    if (loaded_)
        Form_Resize();
}

void Form::clientResized(const QSize &px)
{
    if (px == appliedClient_)
        return; // our own change coming back
    // A dimension that did not change keeps its twips (7000 twips are 466.67 pixels).
    if (px.width() != appliedClient_.width())
        scaleW_ = toTwips(px.width());
    if (px.height() != appliedClient_.height())
        scaleH_ = toTwips(px.height());
    appliedClient_ = px;
    runEvent([this] { resized(); });
}

void Form::windowMoved(const QPoint &px)
{
    if (px == appliedPos_)
        return;
    appliedPos_ = px;
    left_ = toTwips(px.x());
    top_ = toTwips(px.y());
}

int Form::WindowState() const
{
    const Qt::WindowStates s = window_->windowState();
    if (s & Qt::WindowMinimized)
        return vbMinimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return vbMaximized;
    return vbNormal;
}

void Form::setWindowState(int state)
{
    switch (state) {
    case vbMinimized: window_->setWindowState(Qt::WindowMinimized); break;
    case vbMaximized: window_->setWindowState(Qt::WindowMaximized); break;
    default: window_->setWindowState(Qt::WindowNoState); break;
    }
}

bool Form::Visible() const { return window_->isVisible(); }

void Form::setVisible(bool v)
{
    if (v)
        Show();
    else
        Hide();
}

bool Form::TopMost() const { return window_->windowFlags() & Qt::WindowStaysOnTopHint; }

void Form::setTopMost(bool on)
{
    if (on == TopMost())
        return;
    const bool shown = window_->isVisible();
    // Changing a window flag hides the window; it is shown again where it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        window_->show();
        window_->raise();
    }
}

void Form::setOLEDropMode(int mode)
{
    forms::setOLEDropMode(dropTarget_, mode, client_, [this] {
        DropHandlers h;
        h.dragOver = [this](DataObject &d, int &effect, int button, int shift, float x, float y, int state) {
            Form_OLEDragOver(d, effect, button, shift, x, y, state);
        };
        h.dragDrop = [this](DataObject &d, int &effect, int button, int shift, float x, float y) {
            Form_OLEDragDrop(d, effect, button, shift, x, y);
        };
        return h;
    });
}

void Form::Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    forms_.add(this);
    if (linkMode_ == 1)
        serveTopic(true);
    Form_Load();
}

void Form::Show()
{
    Load();
    if (!loaded_)
        return; // Form_Load unloaded it again
    if (!shownOnce_)
        applyGeometry(); // the menu bar is complete by now: the client area keeps its size
    window_->show();
    if (!shownOnce_) {
        shownOnce_ = true;
        Form_Resize();
    }
    window_->raise();
    window_->activateWindow();
}

void Form::Hide() { window_->hide(); }

void Form::SetFocus()
{
    if (!window_->isVisible())
        return;
    window_->raise();
    window_->activateWindow();
}

bool Form::Unload(int mode)
{
    if (!loaded_ || unloading_)
        return true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel)
        return false;
    Form_Unload(cancel);
    if (cancel)
        return false;
    unloading_ = true;
    window_->hide();
    loaded_ = false;
    wasUnloaded_ = true;
    shownOnce_ = false;
    forms_.remove(this);
    if (linkMode_ == 1)
        serveTopic(false);
    unloading_ = false;
    if (onUnloaded)
        onUnloaded(*this);
    if (forms_.adopted(this))
        destroyLater(this);
    return true;
}

bool Form::closeRequested()
{
    bool unloaded = false;
    runEvent([&] { unloaded = Unload(vbFormControlMenu); });
    return unloaded;
}

void Form::activated()
{
    Form_Activate();
    // The form itself takes the focus only when none of its controls can.
    for (Control *c : controls_)
        if (c->Visible() && c->Enabled() && c->widget()->focusPolicy() != Qt::NoFocus)
            return;
    client_->setFocus(Qt::ActiveWindowFocusReason);
    Form_GotFocus();
}

void Form::Print(const QString &text)
{
    // Only what can still be seen is kept: text that starts beyond the most the client area
    // can show (the larger of its size and the desktop's), or the part of a line beyond that
    // width, never shows and would only slow every repaint down.
    const QFontMetrics fm(client_->font());
    QSize most = client_->size();
    if (const QScreen *screen = client_->screen())
        most = most.expandedTo(screen->virtualSize());
    const int x = toPixels(CurrentX), y = toPixels(CurrentY);
    if (x < most.width() && y < most.height() && x + fm.height() >= 0 && y + fm.height() >= 0) {
        // A character is at least a pixel wide: no more characters than pixels can show.
        QString shown = text.left(std::max(0, most.width() - std::max(0, x)) + 1);
        while (shown.size() > 1 && x + fm.horizontalAdvance(shown.left(shown.size() / 2)) > most.width())
            shown.truncate(shown.size() / 2 + 1);
        printed_.push_back({QPointF(CurrentX, CurrentY), shown});
        client_->update();
    }
    CurrentX = 0;
    CurrentY += toTwips(fm.height());
}

QStringList Form::printedText() const
{
    QStringList out;
    for (const auto &line : printed_)
        out << line.text;
    return out;
}

void Form::Cls()
{
    printed_.clear();
    CurrentX = CurrentY = 0;
    client_->update();
}

void Form::Refresh() { window_->repaint(); }

Control *Form::control(const QString &name, int index) const
{
    for (Control *c : controls_)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0 && c->Index() == index)
            return c;
    return nullptr;
}

Control *Form::ActiveControl() const
{
    for (Control *c : controls_)
        if (c->hasFocus())
            return c;
    return nullptr;
}

void Form::removeControl(Control *c)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

} // namespace forms
