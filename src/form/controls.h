// The main window's controls as plain data. Each control keeps what the window keeps in it
// (list items, values, captions, Tag, colours, geometry in pixels); setting a value that
// differs stores it, tells the view and runs the control's handler, exactly as a user's change
// does. An equal value does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "instrument/vk.h"

namespace muto {

// A Windows colour value: an RGB value 0x00BBGGRR, or a reference to system colour n written as
// 0x80000000 | n (negative as a signed 32-bit number, as config.ini keeps it).
using Colour = uint32_t;
constexpr Colour rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr Colour kSystemColourFlag = 0x80000000u;
constexpr Colour systemColour(int n) {
    return kSystemColourFlag | static_cast<Colour>(n);
}
constexpr bool isSystemColour(Colour c) {
    return (c & kSystemColourFlag) != 0;
}
// The RGB value a colour shows as: system colours through the classic Windows table, an unknown
// system colour as black.
Colour resolveColour(Colour c);
// Whether a colour value names a colour: an RGB value, or a system colour of the table.
bool isColour(Colour c);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

class Control;

// Told about every change of a control's visible state, so a view can redraw it.
class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void controlChanged(Control& control) = 0;
    // The model asks for the keyboard focus to move to this control.
    virtual void focusRequested(Control& control) { (void)control; }
};

// How a view shows a control: as a widget of its own, or painted by the surface it lies on.
enum class ViewKind { Widget, Painted };

enum class ControlKind { Window, ListBox, CheckBox, ScrollBar, Label, Shape, PictureBox, Button };

class Control {
public:
    Control(ControlKind kind, std::string name, int index = -1)
        : kind_(kind), name_(std::move(name)), index_(index) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    int index() const { return index_; }  // -1 outside a control array

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    const Rect& geometry() const { return geometry_; }
    void setGeometry(const Rect& r);
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    const std::string& tag() const { return tag_; }
    void setTag(std::string tag);

    void setObserver(ControlObserver* observer) { observer_ = observer; }

    // What a view needs besides the state: widget or painted, and the control whose area this
    // one lies in (its geometry is relative to that container's; it shows only while the
    // container is visible). Set once when the window is built.
    ViewKind viewKind() const { return viewKind_; }
    void setViewKind(ViewKind k) { viewKind_ = k; }
    Control* container() const { return container_; }
    void setContainer(Control* c) { container_ = c; }
    // Whether the control and every container around it are visible.
    bool shown() const { return visible_ && (!container_ || container_->shown()); }

protected:
    void notify() {
        if (observer_) observer_->controlChanged(*this);
    }
    // Stores a changed value and tells the observer; an equal value does nothing.
    template <class T, class V>
    bool update(T& field, V&& value) {
        if (field == value) return false;
        field = std::forward<V>(value);
        notify();
        return true;
    }

private:
    ControlKind kind_;
    std::string name_;
    int index_;
    bool visible_ = true;
    bool enabled_ = true;
    Rect geometry_;
    std::string tag_;
    ControlObserver* observer_ = nullptr;
    ViewKind viewKind_ = ViewKind::Widget;
    Control* container_ = nullptr;
};

// A drop-down list (combo box in list style).
class ListBox : public Control {
public:
    explicit ListBox(std::string name, int index = -1)
        : Control(ControlKind::ListBox, std::move(name), index) {}

    void addItem(std::string text, int32_t itemData = 0);
    void clear();
    int listCount() const { return static_cast<int>(items_.size()); }
    const std::string& item(int i) const { return items_.at(static_cast<size_t>(i)); }
    int32_t itemData(int i) const { return itemData_.at(static_cast<size_t>(i)); }
    int listIndex() const { return listIndex_; }
    // The selected item's text, "" with nothing selected.
    std::string text() const;
    int32_t selectedItemData() const;
    // Refuses (returns false) an index outside -1..listCount-1; a changed index runs onClick.
    bool setListIndex(int i);

    std::function<void()> onClick;

private:
    std::vector<std::string> items_;
    std::vector<int32_t> itemData_;
    int listIndex_ = -1;
};

class CheckBox : public Control {
public:
    explicit CheckBox(std::string name, int index = -1)
        : Control(ControlKind::CheckBox, std::move(name), index) {}
    int value() const { return value_; }
    // 0 unchecked, 1 checked, 2 grey; a changed value runs onClick. Refuses other values.
    bool setValue(int v);
    // What a user's click does: toggles between 0 and 1.
    void click() { setValue(value_ == 1 ? 0 : 1); }

    std::string caption;
    std::function<void()> onClick;

private:
    int value_ = 0;
};

// A vertical scroll bar. Min may be larger than Max (then the larger value is at the top).
class ScrollBar : public Control {
public:
    explicit ScrollBar(std::string name, int index = -1)
        : Control(ControlKind::ScrollBar, std::move(name), index) {}
    void setRange(int min, int max, int smallChange, int largeChange);
    int min() const { return min_; }
    int max() const { return max_; }
    int smallChange() const { return smallChange_; }
    int largeChange() const { return largeChange_; }
    int value() const { return value_; }
    // Refuses a value outside the range; a changed value runs onChange.
    bool setValue(int v);
    // The thumb is being dragged to v: the value follows and onScroll runs, onChange does not.
    bool dragTo(int v);
    // The drag ended at the current value: runs onChange.
    void endDrag();

    std::function<void()> onChange;
    std::function<void()> onScroll;

private:
    bool inRange(int v) const;
    int min_ = 0;
    int max_ = 32767;
    int smallChange_ = 1;
    int largeChange_ = 1;
    int value_ = 0;
};

class Label : public Control {
public:
    explicit Label(std::string name, int index = -1)
        : Control(ControlKind::Label, std::move(name), index) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    Colour foreColor() const { return foreColor_; }
    void setForeColor(Colour c);
    Colour backColor() const { return backColor_; }
    void setBackColor(Colour c);
    bool backTransparent() const { return backTransparent_; }
    void setBackTransparent(bool t);
    bool fontBold() const { return fontBold_; }
    void setFontBold(bool b);
    // Bring to the front of its siblings.
    void zOrderFront() { notify(); }
    // Option captions and headings read from the left; the rest is centred.
    bool alignLeft() const { return alignLeft_; }
    void setAlignLeft(bool left) { alignLeft_ = left; }

    std::function<void()> onClick;
    std::function<void()> onDblClick;

private:
    std::string caption_;
    Colour foreColor_ = 0;
    Colour backColor_ = rgb(255, 255, 255);
    bool backTransparent_ = true;
    bool fontBold_ = false;
    bool alignLeft_ = false;
};

// A highlight shape: lit when its fill is opaque (its back colour shows), unlit when the fill is
// transparent and only its border, if any, remains.
class Shape : public Control {
public:
    explicit Shape(std::string name, int index = -1)
        : Control(ControlKind::Shape, std::move(name), index) {}
    bool lit() const { return lit_; }
    void setLit(bool lit);
    Colour backColor() const { return backColor_; }
    void setBackColor(Colour c);
    Colour borderColor() const { return borderColor_; }
    void setBorderColor(Colour c);
    bool bordered() const { return bordered_; }
    void setBordered(bool b);

private:
    bool lit_ = false;
    Colour backColor_ = 0;
    Colour borderColor_ = 0;
    bool bordered_ = true;
};

// A picture box or image; the picture is remembered by the path it was loaded from.
class PictureBox : public Control {
public:
    explicit PictureBox(std::string name, int index = -1)
        : Control(ControlKind::PictureBox, std::move(name), index) {}
    const std::string& picture() const { return picture_; }
    void setPicture(std::string path);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    // A mouse button went down at (x, y), in pixels inside the box. Buttons: 1 left, 2 right,
    // 4 middle; shift as for keys (1 Shift, 2 Ctrl, 4 Alt).
    std::function<void(int button, int shift, int x, int y)> onMouseDown;

private:
    std::string picture_;
};

// The main window itself: caption, Tag (background picture path), picture and height.
class Window : public Control {
public:
    explicit Window(std::string name) : Control(ControlKind::Window, std::move(name)) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    const std::string& picture() const { return picture_; }
    void setPicture(std::string path);
    // Client height in twips.
    int heightTwips() const { return heightTwips_; }
    void setHeightTwips(int twips);

    std::function<void()> onClick;
    std::function<void()> onDblClick;

private:
    std::string caption_;
    std::string picture_;
    int heightTwips_ = 0;
};

class Button : public Control {
public:
    explicit Button(std::string name, int index = -1)
        : Control(ControlKind::Button, std::move(name), index) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    // What a user's click does: runs onClick when enabled.
    void click() {
        if (enabled() && onClick) onClick();
    }

    std::function<void()> onClick;

private:
    std::string caption_;
};

}  // namespace muto
