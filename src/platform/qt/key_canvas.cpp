#include "platform/qt/key_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/layout.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_time.h"
#include "platform/qt/ring_overlay.h"
#include "platform/qt/strips.h"

namespace muto::qt {

namespace {

const QColor kButtonFace(240, 240, 240);
// Changes are shown at most once a frame of a 60 Hz screen: a playback of hundreds of events a
// second repaints what changed in each frame, not once per event.
constexpr qint64 kFrameMs = 16;
// A repaint of more rectangles than this is painted in one pass.
constexpr int kMaxGroups = 24;
// Added to twice the last paint's time when asking whether a timer falls due during a paint.
constexpr double kPaintMargin = 0.0005;
// How long after such a timer the frame put off for it starts.
constexpr double kAfterTimer = 0.0001;

// Where a control lies in the window: its geometry is relative to its container's.
QRect rectOf(const Control& c) {
    const Rect& g = c.geometry();
    const QRect r(g.left, g.top, g.width, g.height);
    return c.container() ? r.translated(rectOf(*c.container()).topLeft()) : r;
}

int shiftOf(Qt::KeyboardModifiers m) {
    return keys::shiftMask(m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
                           m.testFlag(Qt::AltModifier));
}

}  // namespace

KeyCanvas::KeyCanvas(Form1& form, QtPictureLoader& pictures, KeyboardLeds& leds, QWidget* parent)
    : QWidget(parent),
      form_(form),
      pictures_(pictures),
      leds_(leds),
      rings_(std::make_unique<RingOverlay>(form.circleTouch(), *this)),
      captions_(this, uiFont(11)),
      paintAll_(qEnvironmentVariableIntValue("MUTO_PAINT_ALL") != 0) {
    setFocusPolicy(Qt::StrongFocus);
    // The playing surface takes raw keys: no input method composes Hangul here.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    rememberAreas();
    if (!paintAll_) rings_->repaint = [this](const QRegion& area) { repaintSoon(area, true); };
    // A large picture decoded meanwhile shows when it is ready.
    pictures_.onLoaded = [this] { controlChanged(form_.form); };
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, [this] { showPending(); });
    resume_ = QtTimerFactory().createTimer(TimerKind::SingleShot);
    resume_->onTimeout = [this] { showPending(); };
}

KeyCanvas::~KeyCanvas() {
    pictures_.onLoaded = nullptr;
}

// --- Keys ---------------------------------------------------------------------------------

bool KeyCanvas::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::ShortcutOverride:
            // Every key belongs to the instrument; no shortcut may take one.
            e->accept();
            return true;
        case QEvent::KeyPress:
            keyEvent(static_cast<QKeyEvent*>(e), true);
            return true;
        case QEvent::KeyRelease:
            keyEvent(static_cast<QKeyEvent*>(e), false);
            return true;
        default:
            return QWidget::event(e);
    }
}

bool KeyCanvas::numLockFor(const QKeyEvent* e) {
    const int scan = static_cast<int>(e->nativeScanCode());
    if (!keys::isNumLockDependent(scan)) return true;
    if (leds_.available()) return leds_.numLockOn();
    // Without the keyboard lamps, the produced key tells: a digit or decimal key means Num Lock.
    const int key = e->key();
    return (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Period || key == Qt::Key_Comma;
}

void KeyCanvas::keyEvent(QKeyEvent* e, bool down) {
    e->accept();
    const int scan = static_cast<int>(e->nativeScanCode());
    const uint32_t keysym = e->nativeVirtualKey();
    const int shift = shiftOf(e->modifiers());
    if (down) {
        if (auto vk = translator_.press(scan, keysym, numLockFor(e))) form_.keyDown(*vk, shift);
    } else {
        const bool numLock = translator_.isDown(scan) ? true : numLockFor(e);
        if (auto vk = translator_.release(scan, keysym, numLock, e->isAutoRepeat())) {
            form_.keyUp(*vk, shift);
            // X toggles the Num Lock state at the key's release, not at its press as the
            // instrument expects: the lock it just took away is given back now. Setting it
            // injects no key events, so nothing here waits or swallows a key.
            if (*vk == vk::kNumLock) form_.keys().keepNumLockOn();
        }
    }
}

// --- Mouse --------------------------------------------------------------------------------

Control* KeyCanvas::hitTest(QPoint pt) const {
    auto inside = [&](const Control& c) { return c.shown() && rectOf(c).contains(pt); };
    Form1& f = form_;
    Control* hit = nullptr;
    f.Label1.forEach([&](Label& l) {
        if (!hit && inside(l)) hit = &l;
    });
    if (hit) return hit;
    f.lbl_KeyCaption.forEach([&](Label& l) {
        if (!hit && inside(l)) hit = &l;
    });
    if (hit) return hit;
    for (PictureBox* box :
         {&f.Picture1, &f.pic_CircleTouch, &f.pic_Palette, &f.pic_ProgBack, &f.img_ControlPanel}) {
        if (inside(*box)) return box;
    }
    return &f.form;
}

void KeyCanvas::mousePressEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    Control* target = hitTest(pt);
    if (auto* box = dynamic_cast<PictureBox*>(target); box && box->onMouseDown) {
        const int button = e->button() == Qt::LeftButton    ? 1
                           : e->button() == Qt::RightButton ? 2
                                                            : 4;
        const QPoint local = pt - rectOf(*box).topLeft();
        box->onMouseDown(button, shiftOf(e->modifiers()), local.x(), local.y());
    }
    if (e->button() == Qt::LeftButton) pressed_ = target;
}

void KeyCanvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    Control* target = pressed_;
    pressed_ = nullptr;
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return;
    }
    if (target && hitTest(e->position().toPoint()) == target) click(target);
}

void KeyCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    Control* target = hitTest(e->position().toPoint());
    pressed_ = target;
    afterDoubleClick_ = true;
    doubleClick(target);
}

void KeyCanvas::click(Control* target) {
    Form1& f = form_;
    if (auto* label = dynamic_cast<Label*>(target)) {
        if (label->onClick) label->onClick();
        return;
    }
    if (auto* box = dynamic_cast<PictureBox*>(target)) {
        if (box->onClick) box->onClick();
        // A click on an input surface gives it the focus; the model passes it on to the
        // surface of the current mode.
        if (box == &f.Picture1 || box == &f.pic_CircleTouch) f.setFocus(f.Picture1);
        return;
    }
    // The window's own click.
    if (f.form.onClick) f.form.onClick();
}

void KeyCanvas::doubleClick(Control* target) {
    Form1& f = form_;
    if (auto* label = dynamic_cast<Label*>(target)) {
        if (label->onDblClick) label->onDblClick();
        return;
    }
    if (auto* box = dynamic_cast<PictureBox*>(target)) {
        if (box->onDblClick) box->onDblClick();
        return;
    }
    if (f.form.onDblClick) f.form.onDblClick();
}

// --- Painting -----------------------------------------------------------------------------

const QPixmap& KeyCanvas::pixmap(const std::string& path) {
    static const QPixmap kNone;
    if (path.empty()) return kNone;
    const QImage img = pictures_.image(path);
    if (img.isNull()) return kNone;
    const QString key = QString::number(img.cacheKey());
    auto it = pixmaps_.find(key);
    if (it == pixmaps_.end()) {
        // Pictures the loader no longer holds are no longer shown: a replaced skin does not stay
        // in memory.
        pixmaps_.removeIf(
            [this](auto entry) { return !pictures_.holds(entry.key().toLongLong()); });
        it = pixmaps_.insert(key, QPixmap::fromImage(img));
    }
    return *it;
}

void KeyCanvas::paintPicture(QPainter& p, const std::string& path, const QRect& box) {
    const QPixmap& pm = pixmap(path);
    if (pm.isNull()) return;
    p.save();
    p.setClipRect(box, Qt::IntersectClip);
    p.drawPixmap(box.topLeft(), pm);
    p.restore();
}

QString KeyCanvas::baseKey(bool pictures) {
    Form1& f = form_;
    auto picture = [&](const std::string& path) {
        return pictures ? pictures_.image(path).cacheKey() : 0;
    };
    QString key = QStringLiteral("%1x%2 %3 %4")
                      .arg(width())
                      .arg(height())
                      .arg(f.form.heightTwips())
                      .arg(picture(f.form.picture()));
    for (const PictureBox* box : pictureBoxes()) {
        const QRect r = rectOf(*box);
        key += QStringLiteral("|%1 %2,%3,%4,%5 %6")
                   .arg(box->visible())
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height())
                   .arg(picture(box->picture()));
    }
    return key;
}

std::array<const PictureBox*, 5> KeyCanvas::pictureBoxes() const {
    Form1& f = form_;
    return {&f.img_ControlPanel, &f.pic_ProgBack, &f.pic_Palette, &f.Picture1, &f.pic_CircleTouch};
}

bool KeyCanvas::decoding() {
    const auto boxes = pictureBoxes();
    return pictures_.pending(form_.form.picture()) ||
           std::any_of(boxes.begin(), boxes.end(),
                       [this](const PictureBox* box) { return pictures_.pending(box->picture()); });
}

void KeyCanvas::paintBase(QPainter& p) {
    Form1& f = form_;
    p.fillRect(rect(), kButtonFace);
    // The window background is the PC keyboard picture, at its natural size.
    paintPicture(p, f.form.picture(), rect());
    if (f.img_ControlPanel.visible())
        paintPicture(p, f.img_ControlPanel.picture(), rectOf(f.img_ControlPanel));
    if (f.pic_ProgBack.visible()) {
        const QRect r = rectOf(f.pic_ProgBack);
        p.fillRect(r, Qt::white);
        paintPicture(p, f.pic_ProgBack.picture(), r);
    }
    // The boxes below cover everything under them: drawn here, they are put back over what
    // is painted before them.
    if (f.pic_Palette.visible()) {
        const QRect r = rectOf(f.pic_Palette);
        p.fillRect(r, kButtonFace);
        paintPicture(p, f.pic_Palette.picture(), r);
    }
    for (const PictureBox* box : {&f.Picture1, &f.pic_CircleTouch}) {
        if (!box->visible()) continue;
        const QRect r = rectOf(*box);
        p.fillRect(r, Qt::white);
        paintPicture(p, box->picture(), r);
    }
    piano_ = pixmap(f.pic_CircleTouch.picture());
}

void KeyCanvas::ensureBase() {
    if (!base_.isNull() && !paintAll_) return;
    const qreal ratio = devicePixelRatioF();
    base_ = QPixmap(size() * ratio);
    base_.setDevicePixelRatio(ratio);
    QPainter p(&base_);
    paintBase(p);
    baseKey_ = baseKey();
    baseBoxes_ = baseKey(false);
}

void KeyCanvas::restoreBase(QPainter& p, const QRect& box) {
    const qreal ratio = base_.devicePixelRatio();
    auto blit = [&](const QRect& area) {
        const QRect r = box.intersected(area);
        if (r.isEmpty()) return;
        const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
        drawInStrips(p, r, base_, source.toAlignedRect(), ratio);
    };
    if (bands_.isEmpty()) {
        blit(dirty_);
        return;
    }
    // Band by band: one large copy clipped to many bands costs more than the bands' own.
    for (const QRect& band : bands_)
        blit(band);
}

void KeyCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    base_ = QPixmap();
}

bool KeyCanvas::reaches(const Control& c) const {
    if (paintAll_) return true;
    auto it = areas_.find(&c);
    return it == areas_.end() || it->second.intersects(dirty_);
}

void KeyCanvas::paintShape(QPainter& p, const Shape& s) {
    if (!s.visible()) return;
    const QRect r = rectOf(s);
    if (r.isEmpty() || !r.intersects(dirty_)) return;
    if (s.lit()) p.fillRect(r, colour(s.backColor()));
    if (s.bordered()) {
        p.setPen(QPen(colour(s.borderColor()), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void KeyCanvas::paintText(QPainter& p, const QRect& box, int align, const std::string& caption,
                          bool bold) {
    if (paintAll_) {
        // The reference: shaped afresh, as a plain drawText.
        p.setFont(captions_.font(bold));
        p.drawText(box, align | Qt::TextDontClip | Qt::TextSingleLine, text(caption));
        return;
    }
    captions_.draw(p, box, align, text(caption), bold);
}

void KeyCanvas::paintLabel(QPainter& p, const Label& l, int align, bool bold) {
    if (!l.visible() || l.caption().empty() || !reaches(l)) return;
    const QRect r = rectOf(l);
    if (!l.backTransparent()) p.fillRect(r, colour(l.backColor()));
    p.setPen(colour(l.foreColor()));
    paintText(p, r, align, l.caption(), bold || l.fontBold());
}

namespace {

// The circles of all markers stand in one column at the marker's Left; an accidental goes to
// the left of its circle. Where the circle starts in a marker's caption, or npos for a marker
// drawn as one text.
size_t circleAt(const std::string& caption) {
    static const std::string kCircle = "○";
    const size_t at = caption.rfind(kCircle);
    return at == 0 ? std::string::npos : at;
}

QRect signBox(const QRect& r) {
    return QRect(r.left() - r.width(), r.top(), r.width(), r.height());
}

constexpr int kMarkerAlign = Qt::AlignVCenter;
constexpr int kKeyCaptionAlign = Qt::AlignHCenter | Qt::AlignTop;

}  // namespace

void KeyCanvas::paintMarker(QPainter& p, const Label& l) {
    if (!l.visible() || l.caption().empty()) return;
    const std::string& caption = l.caption();
    const size_t at = circleAt(caption);
    if (at == std::string::npos) {
        paintLabel(p, l, kMarkerAlign | Qt::AlignLeft, true);
        return;
    }
    if (!reaches(l)) return;
    const QRect r = rectOf(l);
    p.setPen(colour(l.foreColor()));
    paintText(p, r, kMarkerAlign | Qt::AlignLeft, caption.substr(at), true);
    paintText(p, signBox(r), kMarkerAlign | Qt::AlignRight, caption.substr(0, at), true);
}

QRect KeyCanvas::areaOf(const Control& c) {
    if (!c.visible()) return {};
    const QRect r = rectOf(c);
    if (c.kind() != ControlKind::Label) return r;
    const auto& l = static_cast<const Label&>(c);
    const std::string& caption = l.caption();
    Form1& f = form_;
    int align = Qt::AlignCenter;
    bool bold = l.fontBold();
    if (f.lbl_KeyCaption.find(l.index()) == &l) {
        align = kKeyCaptionAlign;
    } else if (f.lbl_note.find(l.index()) == &l) {
        align = kMarkerAlign | Qt::AlignLeft;
        bold = true;
        const size_t at = circleAt(caption);
        if (at != std::string::npos) {
            const QString sign = text(caption.substr(0, at));
            return r.united(captions_.area(r, align, text(caption.substr(at)), true))
                .united(captions_.area(signBox(r), kMarkerAlign | Qt::AlignRight, sign, true));
        }
    }
    return caption.empty() ? r : r.united(captions_.area(r, align, text(caption), bold));
}

void KeyCanvas::rememberAreas() {
    areas_.clear();
    keyboard_ = QRect();
    form_.forEachControl([this](Control& c) {
        if (c.viewKind() != ViewKind::Painted) return;
        const QRect area = areaOf(c);
        areas_[&c] = area;
        widenKeyboard(c, area);
    });
}

bool KeyCanvas::onKeyboard(const Control& c) const {
    Form1& f = form_;
    const int i = c.index();
    auto is = [&](const Control* member) { return member == &c; };
    return is(f.shp_key.find(i)) || is(f.shp_img.find(i)) || is(f.lbl_KeyCaption.find(i)) ||
           is(f.Label1.find(i));
}

void KeyCanvas::widenKeyboard(const Control& c, const QRect& area) {
    // The box only grows: it may hold more than the keyboard, never less.
    if (!area.isEmpty() && !keyboard_.contains(area) && onKeyboard(c)) keyboard_ |= area;
}

void KeyCanvas::controlChanged(const Control& c) {
    if (paintAll_) {
        update();
        return;
    }
    if (c.kind() == ControlKind::Window || c.kind() == ControlKind::PictureBox) {
        // A new picture, or a box that moved or showed: everything is made again.
        if (baseKey() != baseKey_) {
            // A picture still being decoded leaves the one on show until it is ready, when this
            // comes back: a blank window in between would flash, and cost a repaint.
            if (decoding() && baseKey(false) == baseBoxes_) return;
            base_ = QPixmap();
            rememberAreas();
            repaintSoon(rect());
        }
        return;
    }
    const QRect now = areaOf(c);
    auto it = areas_.find(&c);
    if (it == areas_.end()) {
        // Not seen before: where it was is unknown.
        areas_[&c] = now;
        widenKeyboard(c, now);
        repaintSoon(rect());
        return;
    }
    const QRect dirty = it->second.united(now);
    if (now != it->second) widenKeyboard(c, now);
    it->second = now;
    if (!dirty.isEmpty()) repaintSoon(dirty);
}

void KeyCanvas::repaintSoon(const QRegion& area, bool ring) {
    pending_ += area;
    // Already due: with the frame put off for a timer, or with the next frame.
    if (resume_->active() || frame_.isActive()) return;
    if (posted_) {
        // Asked for and not painted yet: it joins that paint.
        showPending();
        return;
    }
    // The first change after a pause shows at once; the changes that follow it within a frame
    // wait for the next frame. The rings all step at one tick, so a ring step is one frame.
    const qint64 since = sinceFrame_.isValid() ? sinceFrame_.elapsed() : kFrameMs;
    const int wait = static_cast<int>(std::max<qint64>(0, kFrameMs - since));
    // A ring step is asked for at once, from the ring timer: every other timer is armed by then.
    // Other changes wait for the event loop, as the playback arms its next timer after them.
    if (ring && wait == 0)
        showPending();
    else
        frame_.start(wait);
}

void KeyCanvas::showPending() {
    // A one-shot timer (the playback's next event) due before this paint would end waits for
    // the paint: the frame goes after it instead, once.
    if (!deferred_ && !pending_.isEmpty()) {
        const double wait = soonestOneShot() - SteadyClock().now();
        const double paint = 2 * lastPaint_ + kPaintMargin;
        if (wait >= 0 && wait < paint) {
            deferred_ = true;
            // Microseconds after it, on a timer as precise as the playback's own.
            resume_->start(std::chrono::microseconds(
                static_cast<std::int64_t>(std::ceil((wait + kAfterTimer) * 1e6))));
            return;
        }
    }
    deferred_ = false;
    if (!posted_) sinceFrame_.start();
    update(pending_);
    pending_ = QRegion();
    posted_ = true;
}

void KeyCanvas::paintStaffBox(QPainter& p) {
    const PictureBox& box = form_.Picture1;
    if (!box.visible()) return;
    const QRect r = rectOf(box);
    // Clipping costs more than the test, and most repaints lie elsewhere.
    if (!r.intersects(dirty_)) return;
    restoreBase(p, r);
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    form_.lbl_note.forEach([&](const Label& l) { paintMarker(p, l); });
    p.restore();
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void KeyCanvas::paintPiano(QPainter& p) {
    const PictureBox& box = form_.pic_CircleTouch;
    if (!box.visible()) return;
    const QRect r = rectOf(box);
    restoreBase(p, r);
    if (!r.intersects(dirty_)) return;
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    // Lit white keys lie under the black keys, as on a real piano: their colour is laid over
    // the picture (multiplied, so the octave names on the keys still show), then the picture's
    // black keys go back on top, and the lit black keys come last.
    const auto keys = layout::pianoKeys();
    Form1& f = form_;
    auto lit = [&](const layout::PianoKey& k) -> const Shape* {
        const Shape* s = f.shp_piano.find(k.index);
        return s && s->visible() && s->lit() ? s : nullptr;
    };
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const layout::PianoKey& k : keys)
        if (const Shape* s = lit(k); s && !k.black && rectOf(*s).intersects(dirty_))
            p.fillRect(rectOf(*s), colour(s->backColor()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const layout::PianoKey& k : keys) {
        const Shape* s = f.shp_piano.find(k.index);
        if (!k.black || !s) continue;
        if (lit(k)) {
            paintShape(p, *s);
        } else if (!piano_.isNull()) {
            const QRect key = rectOf(*s);
            if (key.intersects(dirty_))
                p.drawPixmap(key.topLeft(), piano_, key.translated(-r.topLeft()));
        }
    }
    p.restore();
}

void KeyCanvas::paintControlPanel(QPainter& p) {
    Form1& f = form_;
    if (f.pic_ProgBack.visible() && rectOf(f.pic_ProgBack).intersects(dirty_)) {
        const QRect r = rectOf(f.pic_ProgBack);
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        paintShape(p, f.shp_progress);
        p.restore();
        p.setPen(QColor(128, 128, 128));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    paintShape(p, f.shp_StartPos);
    if (f.pic_Palette.visible()) restoreBase(p, rectOf(f.pic_Palette));
}

void KeyCanvas::paintEvent(QPaintEvent* event) {
    QElapsedTimer took;
    took.start();
    struct Timing {
        QElapsedTimer& took;
        double& last;
        ~Timing() { last = static_cast<double>(took.nsecsElapsed()) / 1e9; }
    } timing{took, lastPaint_};
    posted_ = false;
    ensureBase();
    QPainter p(this);
    const QRegion& region = event->region();
    // The bands of ring strokes are many: they are painted in one pass, clipped to the bands.
    if (region.rectCount() > kMaxGroups) {
        dirty_ = region.boundingRect();
        bands_ = region;
        paintLayers(p);
        bands_ = QRegion();
        return;
    }
    // The areas of one repaint lie far apart (a key, its piano key, its staff marker, the
    // progress bar): each group of touching rectangles is painted on its own, and only what
    // reaches into it.
    std::vector<QRect> groups;
    for (QRect r : region) {
        for (auto it = groups.begin(); it != groups.end();) {
            if (it->adjusted(-1, -1, 1, 1).intersects(r)) {
                r |= *it;
                groups.erase(it);
                it = groups.begin();
            } else {
                ++it;
            }
        }
        groups.push_back(r);
    }
    for (const QRect& area : groups) {
        dirty_ = area;
        p.setClipRect(area);
        paintLayers(p);
    }
}

void KeyCanvas::paintLayers(QPainter& p) {
    Form1& f = form_;
    restoreBase(p, rect());
    paintControlPanel(p);

    // Most repaints while playing lie off the keyboard (the piano, the staff, the progress bar).
    const bool keyboard = paintAll_ || keyboard_.intersects(dirty_);
    if (keyboard) {
        f.shp_img.forEach([&](const Shape& s) { paintShape(p, s); });
        f.shp_key.forEach([&](const Shape& s) { paintShape(p, s); });
    }
    // The rings lie on the window's own surface: over the picture, under the captions.
    rings_->paint(p, dirty_);
    if (keyboard) {
        f.lbl_KeyCaption.forEach([&](const Label& l) { paintLabel(p, l, kKeyCaptionAlign); });
        f.Label1.forEach([&](const Label& l) { paintLabel(p, l, Qt::AlignCenter); });
    }

    paintStaffBox(p);
    paintShape(p, f.shp_BScr);
    paintPiano(p);
}

}  // namespace muto::qt
