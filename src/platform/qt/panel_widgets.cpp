#include "platform/qt/panel_widgets.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <string_view>

#include "form/channel_controls.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_convert.h"

namespace muto::qt {

namespace {

constexpr int kGrayText = 17;  // COLOR_GRAYTEXT

Qt::Alignment labelAlignment(const Label& l) {
    return l.alignLeft() ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
}

void syncLabel(const Label& l, ClickLabel* w) {
    const QString caption = text(l.caption());
    if (w->text() != caption) w->setText(caption);
    QFont font = w->font();
    if (font.bold() != l.fontBold()) {
        font.setBold(l.fontBold());
        w->setFont(font);
    }
    QPalette pal = w->palette();
    // A disabled caption ignores clicks and shows it: grey text, as Windows draws it.
    pal.setColor(QPalette::Active, QPalette::WindowText, colour(l.foreColor()));
    pal.setColor(QPalette::Inactive, QPalette::WindowText, colour(l.foreColor()));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, colour(systemColour(kGrayText)));
    pal.setColor(QPalette::Window, colour(l.backColor()));
    w->setPalette(pal);
    w->setAutoFillBackground(!l.backTransparent());
}

// The three effect headers ("음지속 70", "음잔향 0", "음두께 0") grow with their bars' values. They
// share one font, the largest that fits the widest of them in a cell of this width: digits are
// equally wide, so three digits are as wide as a header gets.
QFont effectHeaderFont(int width) {
    QFont font = uiFont(12);
    for (int size = 12; size > 8; --size) {
        font = uiFont(size);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (int i = 0; i < 3; ++i)
            widest = std::max(
                widest, metrics.horizontalAdvance(text(ChannelControls::effectCaption(i, 127))));
        if (widest <= width - 6) break;
    }
    return font;
}

// A check box shows its control's value; 2 is the grey state.
void syncCheckState(const CheckBox& model, QCheckBox* box) {
    const QSignalBlocker block(box);
    box->setTristate(model.value() == 2);
    box->setCheckState(model.value() == 0   ? Qt::Unchecked
                       : model.value() == 1 ? Qt::Checked
                                            : Qt::PartiallyChecked);
}

// The panel's lists are narrow (an octave list is 40 pixels wide): a slimmer drop-down button
// leaves room for "120" and "2000Key".
class CompactComboStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* widget) const override {
        if (cc == CC_ComboBox) {
            const QRect r = opt->rect;
            constexpr int kArrow = 13;
            if (sc == SC_ComboBoxArrow)
                return QRect(r.right() - kArrow, r.top(), kArrow, r.height());
            if (sc == SC_ComboBoxEditField)
                return QRect(r.left() + 3, r.top() + 2, r.width() - kArrow - 4, r.height() - 4);
        }
        return QProxyStyle::subControlRect(cc, opt, sc, widget);
    }
};

QStyle* compactComboStyle() {
    static QStyle* style = [] {
        auto* s = new CompactComboStyle;
        s->setParent(qApp);
        return s;
    }();
    return style;
}

}  // namespace

// --- ClickLabel ---------------------------------------------------------------------------

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return;
    }
    if (rect().contains(e->position().toPoint())) emit clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    afterDoubleClick_ = true;
    emit doubleClicked();
}

// --- ModelScrollBar -----------------------------------------------------------------------

ModelScrollBar::ModelScrollBar(ScrollBar& model, QWidget* parent)
    : QScrollBar(Qt::Vertical, parent), model_(model) {
    setFocusPolicy(Qt::NoFocus);
    // Arrow and track clicks set the value (Change); the dragged thumb scrolls (Scroll) and its
    // release ends the drag (Change).
    connect(this, &QScrollBar::valueChanged, this, [this](int qtValue) {
        const int v = sign() * qtValue;
        if (isSliderDown())
            model_.dragTo(v);
        else
            model_.setValue(v);
        sync();
    });
    connect(this, &QScrollBar::sliderReleased, this, [this] {
        model_.endDrag();
        sync();
    });
    sync();
}

void ModelScrollBar::sync() {
    const QSignalBlocker block(this);
    const int s = sign();
    const int a = s * model_.min();
    const int b = s * model_.max();
    if (minimum() != a || maximum() != b) setRange(a, b);
    setSingleStep(model_.smallChange());
    setPageStep(model_.largeChange());
    if (value() != s * model_.value()) setValue(s * model_.value());
}

// --- ModelComboBox ------------------------------------------------------------------------

ModelComboBox::ModelComboBox(ListBox& model, QWidget* parent) : QComboBox(parent), model_(model) {
    setFocusPolicy(Qt::NoFocus);
    setStyle(compactComboStyle());
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::activated, this, [this](int i) {
        model_.setListIndex(i);
        sync();
    });
    sync();
}

void ModelComboBox::sync() {
    const QSignalBlocker block(this);
    bool same = static_cast<int>(items_.size()) == model_.listCount();
    for (int i = 0; same && i < model_.listCount(); ++i)
        same = items_[static_cast<size_t>(i)] == model_.item(i);
    if (!same) {
        clear();
        items_.clear();
        for (int i = 0; i < model_.listCount(); ++i) {
            items_.push_back(model_.item(i));
            addItem(text(model_.item(i)));
        }
        // The drop-down list is as wide as its longest entry.
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    }
    if (currentIndex() != model_.listIndex()) setCurrentIndex(model_.listIndex());
}

// --- Creation and updates -----------------------------------------------------------------

QWidget* createPanelWidget(Control& control, QWidget* parent) {
    if (control.viewKind() == ViewKind::Painted) return nullptr;
    switch (control.kind()) {
        case ControlKind::ListBox:
            return new ModelComboBox(static_cast<ListBox&>(control), parent);
        case ControlKind::ScrollBar:
            return new ModelScrollBar(static_cast<ScrollBar&>(control), parent);
        case ControlKind::CheckBox: {
            auto& model = static_cast<CheckBox&>(control);
            auto* box = new QCheckBox(parent);
            box->setFocusPolicy(Qt::NoFocus);
            QObject::connect(box, &QCheckBox::clicked, box, [&model, box] {
                model.click();
                syncCheckState(model, box);
            });
            return box;
        }
        case ControlKind::Button: {
            auto& model = static_cast<Button&>(control);
            auto* button = new QPushButton(parent);
            button->setFocusPolicy(Qt::NoFocus);
            button->setFont(uiFont(12));
            QObject::connect(button, &QPushButton::clicked, button, [&model] { model.click(); });
            return button;
        }
        case ControlKind::Label: {
            auto& model = static_cast<Label&>(control);
            auto* label = new ClickLabel(parent);
            label->setFocusPolicy(Qt::NoFocus);
            const bool effectHeader = model.name() == "lbl_effect" && model.index() < 3;
            label->setFont(effectHeader ? effectHeaderFont(model.geometry().width) : uiFont(12));
            label->setAlignment(labelAlignment(model));
            QObject::connect(label, &ClickLabel::clicked, label, [&model] {
                if (model.onClick) model.onClick();
            });
            QObject::connect(label, &ClickLabel::doubleClicked, label, [&model] {
                if (model.onDblClick) model.onDblClick();
            });
            return label;
        }
        default:
            return nullptr;
    }
}

void syncPanelWidget(Control& control, QWidget* widget) {
    QPoint origin;
    if (const Control* box = control.container())
        origin = QPoint(box->geometry().left, box->geometry().top);
    const Rect& g = control.geometry();
    const QRect place(origin.x() + g.left, origin.y() + g.top, g.width, g.height);
    if (widget->geometry() != place) widget->setGeometry(place);
    widget->setEnabled(control.enabled());
    switch (control.kind()) {
        case ControlKind::ListBox:
            static_cast<ModelComboBox*>(widget)->sync();
            break;
        case ControlKind::ScrollBar:
            static_cast<ModelScrollBar*>(widget)->sync();
            break;
        case ControlKind::CheckBox:
            syncCheckState(static_cast<const CheckBox&>(control), static_cast<QCheckBox*>(widget));
            break;
        case ControlKind::Button: {
            auto* button = static_cast<QPushButton*>(widget);
            const QString caption = text(static_cast<const Button&>(control).caption());
            if (button->text() != caption) button->setText(caption);
            break;
        }
        case ControlKind::Label:
            syncLabel(static_cast<const Label&>(control), static_cast<ClickLabel*>(widget));
            break;
        default:
            break;
    }
    widget->setVisible(control.shown());
}

}  // namespace muto::qt
