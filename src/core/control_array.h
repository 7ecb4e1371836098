// A control array: controls of one name told apart by an index, which need not be contiguous
// (the key shapes are indexed by virtual-key code).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace muto {

template <class T>
class ControlArray {
public:
    explicit ControlArray(std::string name) : name_(std::move(name)) {}

    // Creates element i (if missing) and returns it.
    T& add(int i) {
        if (i < 0) i = 0;
        if (static_cast<size_t>(i) >= items_.size()) items_.resize(static_cast<size_t>(i) + 1);
        auto& slot = items_[static_cast<size_t>(i)];
        if (!slot) slot = std::make_unique<T>(name_, i);
        return *slot;
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
};

}  // namespace muto
