#include "form/controls.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace muto {

void Control::setVisible(bool v) {
    update(visible_, v);
}

void Control::setEnabled(bool e) {
    update(enabled_, e);
}

void Control::setGeometry(const Rect& r) {
    update(geometry_, r);
}

void Control::setLeft(int left) {
    setGeometry({left, geometry_.top, geometry_.width, geometry_.height});
}
void Control::setTop(int top) {
    setGeometry({geometry_.left, top, geometry_.width, geometry_.height});
}
void Control::setWidth(int width) {
    setGeometry({geometry_.left, geometry_.top, width, geometry_.height});
}
void Control::setHeight(int height) {
    setGeometry({geometry_.left, geometry_.top, geometry_.width, height});
}

void Control::setTag(std::string tag) {
    update(tag_, std::move(tag));
}

void ListBox::addItem(std::string text, int32_t itemData) {
    items_.push_back(std::move(text));
    itemData_.push_back(itemData);
    notify();
}

void ListBox::clear() {
    items_.clear();
    itemData_.clear();
    listIndex_ = -1;
    notify();
}

std::string ListBox::text() const {
    if (listIndex_ < 0) return {};
    return items_[static_cast<size_t>(listIndex_)];
}

int32_t ListBox::selectedItemData() const {
    if (listIndex_ < 0) return 0;
    return itemData_[static_cast<size_t>(listIndex_)];
}

bool ListBox::setListIndex(int i) {
    if (i < -1 || i >= listCount()) return false;
    if (i == listIndex_) return true;
    listIndex_ = i;
    notify();
    if (onClick) onClick();
    return true;
}

bool CheckBox::setValue(int v) {
    if (v < 0 || v > 2) return false;
    if (v == value_) return true;
    value_ = v;
    notify();
    if (onClick) onClick();
    return true;
}

void ScrollBar::setRange(int min, int max, int smallChange, int largeChange) {
    min_ = min;
    max_ = max;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    value_ = std::clamp(value_, std::min(min, max), std::max(min, max));
    notify();
}

bool ScrollBar::inRange(int v) const {
    return v >= std::min(min_, max_) && v <= std::max(min_, max_);
}

bool ScrollBar::setValue(int v) {
    if (!inRange(v)) return false;
    if (v == value_) return true;
    value_ = v;
    notify();
    if (onChange) onChange();
    return true;
}

bool ScrollBar::dragTo(int v) {
    if (!inRange(v)) return false;
    if (v != value_) {
        value_ = v;
        notify();
    }
    if (onScroll) onScroll();
    return true;
}

void ScrollBar::endDrag() {
    if (onChange) onChange();
}

void Label::setCaption(std::string c) {
    update(caption_, std::move(c));
}

void Label::setForeColor(Colour c) {
    update(foreColor_, c);
}

void Label::setBackColor(Colour c) {
    update(backColor_, c);
}

void Label::setBackTransparent(bool t) {
    update(backTransparent_, t);
}

void Label::setFontBold(bool b) {
    update(fontBold_, b);
}

void Shape::setLit(bool lit) {
    update(lit_, lit);
}

void Shape::setBackColor(Colour c) {
    update(backColor_, c);
}

void Shape::setBorderColor(Colour c) {
    update(borderColor_, c);
}

void Shape::setBordered(bool b) {
    update(bordered_, b);
}

namespace {

// The classic Windows system colours, COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
constexpr Colour kSystemColours[] = {
    rgb(212, 208, 200), rgb(58, 110, 165),  rgb(10, 36, 106),   rgb(128, 128, 128),
    rgb(212, 208, 200), rgb(255, 255, 255), rgb(0, 0, 0),       rgb(0, 0, 0),
    rgb(0, 0, 0),       rgb(255, 255, 255), rgb(212, 208, 200), rgb(212, 208, 200),
    rgb(128, 128, 128), rgb(10, 36, 106),   rgb(255, 255, 255), rgb(212, 208, 200),
    rgb(128, 128, 128), rgb(128, 128, 128), rgb(0, 0, 0),       rgb(212, 208, 200),
    rgb(255, 255, 255), rgb(64, 64, 64),    rgb(212, 208, 200), rgb(0, 0, 0),
    rgb(255, 255, 225), rgb(181, 181, 181), rgb(0, 0, 128),     rgb(166, 202, 240),
    rgb(192, 192, 192), rgb(10, 36, 106),   rgb(212, 208, 200)};

}  // namespace

Colour resolveColour(Colour c) {
    if (!isSystemColour(c)) return c & 0x00FFFFFFu;
    const Colour n = c & ~kSystemColourFlag;
    if (n >= std::size(kSystemColours)) return 0;
    return kSystemColours[n];
}

bool isColour(Colour c) {
    if (!isSystemColour(c)) return c <= 0x00FFFFFFu;
    return (c & ~kSystemColourFlag) < std::size(kSystemColours);
}

void PictureBox::setPicture(std::string path) {
    update(picture_, std::move(path));
}

void Window::setCaption(std::string c) {
    update(caption_, std::move(c));
}

void Window::setPicture(std::string path) {
    update(picture_, std::move(path));
}

void Window::setHeightTwips(int twips) {
    update(heightTwips_, twips);
}

void Button::setCaption(std::string c) {
    update(caption_, std::move(c));
}

}  // namespace muto
