// Qt 6 windows for the framework's forms. Each form gets a QRasterWindow that
// paints the form's back buffer; Qt input is turned into the form's Input* calls
// on the GUI thread, and the message queue's wake-up wakes Qt's event dispatcher
// so that a waiting event loop returns for posted messages.
#include "vcl/qtbackend.h"
#include "vcl/qtdialogs.h"

#include "vcl/application.h"
#include "vcl/forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include "screensaver.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton)
{
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (mods & Qt::AltModifier) s |= ssAlt;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out)
{
    switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
    }
}

unsigned short VirtualKeyOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<unsigned short>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<unsigned short>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<unsigned short>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    default: return 0;
    }
}

Qt::CursorShape ShapeOf(TCursor c)
{
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS:
    case crVSplit: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE:
    case crHSplit: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crAppStart: return Qt::BusyCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

// Runs a handler step; exceptions never cross Qt's event dispatch.
template <class F>
void Guard(F&& f)
{
    try {
        f();
    } catch (...) {
        if (Application) Application->HandleException(Application);
    }
}

class FormWindow : public QRasterWindow {
public:
    explicit FormWindow(TCustomForm& form) : form_(&form) {}
    void Forget() { form_ = nullptr; }

    QImage image;
    // Our own move when the window manager offers none (no WM under Xvfb).
    bool moving = false;
    QPoint moveOffset;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        if (image.isNull()) p.fillRect(e->rect(), Qt::black);
        else p.drawImage(e->rect(), image, e->rect());
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (moving) {
            QPoint g = e->globalPosition().toPoint();
            setPosition(g - moveOffset);
            return;
        }
        QPoint p = ClientPoint(e->position().toPoint());
        if (form_) Guard([&] { form_->InputMouseMove(p.x(), p.y(), ShiftOf(e->modifiers(), e->buttons())); });
    }

    void mousePressEvent(QMouseEvent* e) override { Button(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { Button(e, true); }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (moving && e->button() == Qt::LeftButton) {
            moving = false;
            return;
        }
        TMouseButton b;
        if (!form_ || !ButtonOf(e->button(), b)) return;
        QPoint p = ClientPoint(e->position().toPoint());
        UINT msg = b == mbLeft ? WM_LBUTTONUP : b == mbRight ? WM_RBUTTONUP : WM_MBUTTONUP;
        Guard([&] { form_->InputMouseButton(msg, b, p.x(), p.y(), ShiftOf(e->modifiers(), e->buttons())); });
    }

    void wheelEvent(QWheelEvent* e) override
    {
        QPoint p = ClientPoint(e->position().toPoint());
        if (form_)
            Guard([&] { form_->InputMouseWheel(p.x(), p.y(), e->angleDelta().y(), ShiftOf(e->modifiers(), e->buttons())); });
    }

    void keyPressEvent(QKeyEvent* e) override { Key(e, true); }
    // A held key repeats its key-down only, as the framework's controls expect;
    // Qt's auto-repeat adds a release before every repeated press.
    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (!e->isAutoRepeat()) Key(e, false);
    }

    bool event(QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::Leave:
            if (form_) Guard([&] { form_->InputMouseLeave(); });
            break;
        case QEvent::Close:
            e->ignore(); // the form decides (OnCloseQuery, OnClose)
            if (form_) Guard([&] { form_->InputCloseRequest(); });
            return true;
        case QEvent::FocusIn:
            if (form_ && form_->Visible()) Guard([&] { form_->InputActivate(true); });
            break;
        case QEvent::FocusOut:
            if (form_ && form_->Visible()) Guard([&] { form_->InputActivate(false); });
            break;
        case QEvent::Move:
            if (form_) form_->InputMove(x(), y());
            break;
        case QEvent::Resize:
            if (form_ && (width() != form_->WindowRect().Width() || height() != form_->WindowRect().Height()))
                Guard([&] { form_->InputResize(width(), height()); });
            break;
        default:
            break;
        }
        return QRasterWindow::event(e);
    }

private:
    // Window coordinates to the form's client ones (the form's own frame lies round them).
    QPoint ClientPoint(QPoint p) const
    {
        return form_ ? p - QPoint(form_->FrameInsets().Left, form_->FrameInsets().Top) : p;
    }

    void Button(QMouseEvent* e, bool dbl)
    {
        TMouseButton b;
        if (!form_ || !ButtonOf(e->button(), b)) return;
        QPoint p = ClientPoint(e->position().toPoint());
        UINT msg = b == mbLeft ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN)
                 : b == mbRight ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                                : (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN);
        Guard([&] { form_->InputMouseButton(msg, b, p.x(), p.y(), ShiftOf(e->modifiers(), e->buttons())); });
    }

    void Key(QKeyEvent* e, bool down)
    {
        if (!form_) return;
        TShiftState shift = ShiftOf(e->modifiers());
        unsigned short vk = VirtualKeyOf(e->key());
        bool alt = (shift & ssAlt) != 0;
        Guard([&] {
            if (vk) form_->InputKey(down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP), vk, shift);
            if (!down || !form_) return;
            QByteArray text = e->text().toUtf8();
            if (text.isEmpty() && alt && vk >= 'A' && vk <= 'Z') text.append(static_cast<char>(vk + 32));
            for (char c : text) form_->InputChar(c);
        });
    }

    TCustomForm* form_;
};

// What the queue's wake-up reaches from worker threads. The wake-up holds it
// by a shared pointer, so it outlives the backend for a worker that is inside
// the wake-up while the backend goes; the backend detaches it first, under the
// lock a wake-up holds while it touches the dispatcher.
class LoopWaker {
public:
    explicit LoopWaker(QAbstractEventDispatcher* dispatcher) : dispatcher_(dispatcher) {}

    // Any thread. The dispatcher's own wake-up passes nothing between threads.
    void Wake()
    {
        if (woken_.exchange(true)) return;
        std::lock_guard<std::mutex> guard(mutex_);
        if (dispatcher_) dispatcher_->wakeUp();
    }
    // GUI thread: whether a wake-up came since the last call.
    bool TakeWoken() { return woken_.exchange(false); }
    // GUI thread, before the dispatcher goes: no wake-up touches it afterwards.
    void Detach()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        dispatcher_ = nullptr;
    }

private:
    std::mutex mutex_;
    QAbstractEventDispatcher* dispatcher_;
    std::atomic<bool> woken_{false};
};

class QtBackend : public Backend {
public:
    QtBackend(int& argc, char** argv)
    {
        if (!QCoreApplication::instance()) {
            ownApp_ = std::make_unique<QApplication>(argc, argv);
            QGuiApplication::setQuitOnLastWindowClosed(false);
        }
        waker_ = std::make_shared<LoopWaker>(QAbstractEventDispatcher::instance());
        timer_.setSingleShot(true);
    }

    ~QtBackend() override
    {
        InhibitScreenSaver(false);
        if (hooked_ && Application && &Application->Queue() == hooked_) hooked_->SetWakeup(nullptr);
        waker_->Detach();
        for (auto& [form, w] : windows_) w->Forget();
        windows_.clear();
    }

    const char* Name() const override { return "qt"; }

    FormWindow* Find(const TCustomForm& f) const
    {
        auto it = windows_.find(&f);
        return it == windows_.end() ? nullptr : it->second.get();
    }

    void CreateWindow(TCustomForm& form) override
    {
        if (Find(form)) return;
        FormWindow* w = windows_.emplace(&form, std::make_unique<FormWindow>(form)).first->second.get();
        const TRect r = form.WindowRect();
        w->setGeometry(r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()));
        ApplyFlags(form, *w);
    }

    void DestroyWindow(TCustomForm& form) override
    {
        auto it = windows_.find(&form);
        if (it == windows_.end()) return;
        it->second->Forget();
        it->second->destroy();
        windows_.erase(it);
    }

    void ShowWindow(TCustomForm& form, bool visible) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        if (visible) {
            Present(form, form.ClientRect());
            // A modal form blocks the other windows natively too (modality is set before showing).
            Qt::WindowModality modality = form.Modal() ? Qt::ApplicationModal : Qt::NonModal;
            if (w->modality() != modality) w->setModality(modality);
            w->show();
            w->raise();
        } else {
            w->hide();
        }
    }

    void SetWindowBounds(TCustomForm& form, const TRect& r) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        int cw = std::max(1, r.Width()), ch = std::max(1, r.Height());
        if (w->x() != r.Left || w->y() != r.Top || w->width() != cw || w->height() != ch)
            w->setGeometry(r.Left, r.Top, cw, ch);
    }

    void SetWindowTitle(TCustomForm& form, const std::string& title) override
    {
        if (FormWindow* w = Find(form)) w->setTitle(QString::fromStdString(title));
    }

    void ApplyFlags(TCustomForm& form, FormWindow& w)
    {
        Qt::WindowFlags flags = Qt::Window;
        if (form.BorderStyle() == bsDialog) flags = Qt::Dialog;
        if (form.BorderStyle() == bsToolWindow || form.BorderStyle() == bsSizeToolWin) flags = Qt::Tool;
        // Without a caption the form draws its own frame, if any.
        if (form.BorderStyle() == bsNone || !form.HasCaption()) flags |= Qt::FramelessWindowHint;
        if (form.FormStyle() == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
        bool wasVisible = w.isVisible();
        if (w.flags() != flags) {
            w.setFlags(flags);
            if (wasVisible) w.show(); // new flags hide the window
        }
    }

    void SetWindowStyle(TCustomForm& form) override
    {
        if (FormWindow* w = Find(form)) ApplyFlags(form, *w);
    }

    void SetWindowAlpha(TCustomForm& form, int alpha) override
    {
        if (FormWindow* w = Find(form)) w->setOpacity(alpha / 255.0);
    }

    void SetWindowShape(TCustomForm& form, const std::optional<TRegion>& region) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        if (!region) {
            w->setMask(QRegion());
            return;
        }
        QRegion mask;
        for (const TRect& r : region->Rects()) mask += QRect(r.Left, r.Top, r.Width(), r.Height());
        // An empty shape would mean "no mask" to Qt; keep one transparent-free pixel off-window instead.
        if (mask.isEmpty()) mask = QRegion(-1, -1, 1, 1);
        w->setMask(mask);
    }

    void SetWindowState(TCustomForm& form, int state) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        w->setWindowState(state == wsMinimized ? Qt::WindowMinimized
                          : state == wsMaximized ? Qt::WindowMaximized
                                                 : Qt::WindowNoState);
    }

    void ActivateWindow(TCustomForm& form) override
    {
        if (FormWindow* w = Find(form)) w->requestActivate();
    }

    void Present(TCustomForm& form, const TRect& dirty) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        TBitmap& buf = form.BackBuffer();
        int bw = buf.Width(), bh = buf.Height();
        if (bw <= 0 || bh <= 0) return;
        if (w->image.width() != bw || w->image.height() != bh) w->image = QImage(bw, bh, QImage::Format_RGB32);
        TRect r;
        if (!IntersectRect(r, dirty, Rect(0, 0, bw, bh))) return;
        // Our 32-bit rows are blue, green, red, unused: Format_RGB32 in memory order.
        for (int y = r.Top; y < r.Bottom; ++y) {
            const std::uint8_t* src = buf.ScanLine(y) + 4 * r.Left;
            auto* dst = reinterpret_cast<std::uint32_t*>(w->image.scanLine(y)) + r.Left;
            for (int x = 0; x < r.Width(); ++x)
                dst[x] = 0xFF000000u | (std::uint32_t(src[4 * x + 2]) << 16) | (std::uint32_t(src[4 * x + 1]) << 8) |
                         src[4 * x];
        }
        w->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
    }

    void StartSystemMove(TCustomForm& form) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        if (w->startSystemMove()) return;
        // No window manager to ask: follow the mouse ourselves until release.
        w->moving = true;
        w->moveOffset = QCursor::pos() - w->position();
    }

    void StartSystemResize(TCustomForm& form, unsigned edges) override
    {
        FormWindow* w = Find(form);
        if (!w) return;
        Qt::Edges e;
        if (edges & akLeft) e |= Qt::LeftEdge;
        if (edges & akTop) e |= Qt::TopEdge;
        if (edges & akRight) e |= Qt::RightEdge;
        if (edges & akBottom) e |= Qt::BottomEdge;
        w->startSystemResize(e); // without a window manager the edge stays put
    }

    void SetCursorShape(TCustomForm& form, TCursor cursor) override
    {
        if (FormWindow* w = Find(form)) w->setCursor(QCursor(ShapeOf(cursor)));
    }

    void SetMouseGrab(TCustomForm&, bool) override {} // Qt keeps a pressed button's events on its window

    TPoint CursorPos() override
    {
        QPoint p = QCursor::pos();
        return {p.x(), p.y()};
    }
    void SetCursorPos(TPoint p) override { QCursor::setPos(p.X, p.Y); }
    TSize ScreenSize() override
    {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s) return {1024, 768};
        return {s->size().width(), s->size().height()};
    }
    TRect WorkArea() override
    {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s) return Rect(0, 0, 1024, 768);
        QRect g = s->availableGeometry();
        return Bounds(g.x(), g.y(), g.width(), g.height());
    }
    TRect WorkAreaAt(TPoint p) override
    {
        QScreen* s = QGuiApplication::screenAt(QPoint(p.X, p.Y));
        if (!s) return WorkArea();
        QRect g = s->availableGeometry();
        return Bounds(g.x(), g.y(), g.width(), g.height());
    }
    std::string ClipboardText() override { return QGuiApplication::clipboard()->text().toStdString(); }
    void SetClipboardText(const std::string& text) override
    {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    }
    void MinimizeApp() override
    {
        for (auto& [f, w] : windows_)
            if (w->isVisible()) w->showMinimized();
    }
    void RestoreApp() override
    {
        for (auto& [f, w] : windows_)
            if (w->isVisible()) w->showNormal();
    }

    // X11 only: the screen-saver extension's suspend, counted by the server per client.
    void InhibitScreenSaver(bool inhibit) override
    {
        if (inhibit == screenSaverSuspended_) return;
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 && SuspendX11ScreenSaver(x11->display(), inhibit)) screenSaverSuspended_ = inhibit;
    }

    void Beep(unsigned) override { QApplication::beep(); }

    void Hook(MessageQueue& queue)
    {
        if (hooked_ == &queue) return;
        hooked_ = &queue;
        queue.SetWakeup([waker = waker_] { waker->Wake(); });
    }

    void WaitForWork(MessageQueue& queue, int timeoutMs) override
    {
        Hook(queue);
        if (waker_->TakeWoken() || queue.Pending() > 0 || queue.QuitPosted()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        if (timeoutMs == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        if (timeoutMs > 0) timer_.start(timeoutMs);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        timer_.stop();
        waker_->TakeWoken();
    }

    void ProcessNativeEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

    void ModalStarted(TCustomForm&) override {}

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override
    {
        QMessageBox box;
        box.setText(QString::fromStdString(text));
        box.setWindowTitle(QString::fromStdString(caption));
        switch (flags & 0xF0) {
        case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        }
        struct Choice {
            QMessageBox::StandardButton button;
            int id;
        };
        std::vector<Choice> choices;
        switch (flags & 0x0F) {
        case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_ABORTRETRYIGNORE:
            choices = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
        case MB_RETRYCANCEL: choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
        default: choices = {{QMessageBox::Ok, IDOK}}; break;
        }
        QMessageBox::StandardButtons buttons;
        for (auto& c : choices) buttons |= c.button;
        box.setStandardButtons(buttons);
        std::size_t def = (flags & MB_DEFBUTTON2) && choices.size() > 1 ? 1 : 0;
        box.setDefaultButton(choices[def].button);
        if (flags & MB_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint);
        auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
        for (auto& c : choices)
            if (c.button == answer) return c.id;
        return choices.back().id; // closed without a button: the last (cancel-like) one
    }

private:
    std::unique_ptr<QApplication> ownApp_;
    std::shared_ptr<LoopWaker> waker_;
    QTimer timer_;
    std::map<const TCustomForm*, std::unique_ptr<FormWindow>> windows_;
    MessageQueue* hooked_ = nullptr;
    bool screenSaverSuspended_ = false;
};

QtBackend* CurrentQt() { return dynamic_cast<QtBackend*>(&CurrentBackend()); }

} // namespace

std::unique_ptr<Backend> CreateQtBackend(int& argc, char** argv)
{
    InstallQtDialogs();
    return std::make_unique<QtBackend>(argc, argv);
}

BackendFactory QtBackendFactory(int& argc, char** argv)
{
    int* pargc = &argc;
    return [pargc, argv] { return CreateQtBackend(*pargc, argv); };
}

namespace {

std::unique_ptr<TBitmap> BitmapOf(const QImage& image)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    auto bmp = std::make_unique<TBitmap>(rgb.width(), rgb.height(), pf24bit);
    for (int y = 0; y < rgb.height(); ++y) {
        auto* row = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            std::uint32_t p = row[x];
            bmp->SetPixel(x, y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    }
    return bmp;
}

} // namespace

std::unique_ptr<TBitmap> QtWindowPicture(TCustomForm& form)
{
    QtBackend* qt = CurrentQt();
    if (!qt) return nullptr;
    FormWindow* w = qt->Find(form);
    if (!w || w->image.isNull()) return nullptr;
    return BitmapOf(w->image);
}

std::unique_ptr<TBitmap> QtScreenPicture(const TRect& screenRect)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || screenRect.Width() <= 0 || screenRect.Height() <= 0) return nullptr;
    const QImage shot =
        screen->grabWindow(0, screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height()).toImage();
    if (shot.isNull()) return nullptr;
    return BitmapOf(shot);
}

QtWindowState QtWindowStateOf(TCustomForm& form)
{
    QtWindowState s;
    QtBackend* qt = CurrentQt();
    if (!qt) return s;
    FormWindow* w = qt->Find(form);
    if (!w) return s;
    s.exists = true;
    s.visible = w->isVisible();
    s.alpha = static_cast<int>(w->opacity() * 255.0 + 0.5);
    s.frameless = (w->flags() & Qt::FramelessWindowHint) != 0;
    s.stayOnTop = (w->flags() & Qt::WindowStaysOnTopHint) != 0;
    s.masked = !w->mask().isEmpty();
    s.modal = w->modality() != Qt::NonModal;
    s.geometry = Bounds(w->x(), w->y(), w->width(), w->height());
    return s;
}

bool QtSendClick(TCustomForm& form, int x, int y)
{
    QtBackend* qt = CurrentQt();
    FormWindow* w = qt ? qt->Find(form) : nullptr;
    if (!w) return false;
    QPointF local(x, y);
    QPointF global = w->mapToGlobal(QPoint(x, y));
    QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
    return true;
}

bool QtSendKey(TCustomForm& form, int qtKey, const std::string& text, bool shift)
{
    QtBackend* qt = CurrentQt();
    FormWindow* w = qt ? qt->Find(form) : nullptr;
    if (!w) return false;
    Qt::KeyboardModifiers mods = shift ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent down(QEvent::KeyPress, qtKey, mods, QString::fromStdString(text));
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, qtKey, mods, QString::fromStdString(text));
    QCoreApplication::sendEvent(w, &up);
    return true;
}

int QtKeyReturn() { return Qt::Key_Return; }
int QtKeyTab() { return Qt::Key_Tab; }
int QtKeyEscape() { return Qt::Key_Escape; }
