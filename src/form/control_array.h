// A control array: controls of one name told apart by an index, which need not be contiguous
// (the key shapes are indexed by virtual-key code).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "form/controls.h"

namespace muto {

template <class T>
class ControlArray {
public:
    explicit ControlArray(std::string name) : name_(std::move(name)) {}

    // Creates element i (if missing) and returns it. A new element gets the array's view
    // attributes and observer, so a view learns of it like of any other, however late it comes.
    T& add(int i) {
        if (i < 0) i = 0;
        if (static_cast<size_t>(i) >= items_.size()) items_.resize(static_cast<size_t>(i) + 1);
        auto& slot = items_[static_cast<size_t>(i)];
        if (!slot) {
            slot = std::make_unique<T>(name_, i);
            slot->setViewKind(viewKind_);
            slot->setContainer(container_);
            slot->setObserver(observer_);
            if (observer_) observer_->controlChanged(*slot);
        }
        return *slot;
    }
    // The observer of every element, present and future.
    void setObserver(ControlObserver* observer) {
        observer_ = observer;
        forEach([observer](T& c) { c.setObserver(observer); });
    }
    // View attributes of every element, present and future.
    void setViewKind(ViewKind k) {
        viewKind_ = k;
        forEach([k](T& c) { c.setViewKind(k); });
    }
    void setContainer(Control* container) {
        container_ = container;
        forEach([container](T& c) { c.setContainer(container); });
    }
    bool exists(int i) const {
        return i >= 0 && static_cast<size_t>(i) < items_.size() && items_[static_cast<size_t>(i)];
    }
    // Element i; it must exist.
    T& operator()(int i) { return *items_.at(static_cast<size_t>(i)); }
    const T& operator()(int i) const { return *items_.at(static_cast<size_t>(i)); }
    T* find(int i) { return exists(i) ? items_[static_cast<size_t>(i)].get() : nullptr; }

    // Calls fn(element) for every element in ascending index order.
    template <class Fn>
    void forEach(Fn&& fn) {
        for (auto& p : items_)
            if (p) fn(*p);
    }
    template <class Fn>
    void forEach(Fn&& fn) const {
        for (const auto& p : items_)
            if (p) fn(static_cast<const T&>(*p));
    }
    int upperBound() const { return static_cast<int>(items_.size()) - 1; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::vector<std::unique_ptr<T>> items_;
    ControlObserver* observer_ = nullptr;
    ViewKind viewKind_ = ViewKind::Widget;
    Control* container_ = nullptr;
};

}  // namespace muto
