#pragma once
// An owning pointer that copies what it points to, so records holding one stay copyable
// (a snapshot of the whole store is a plain copy).

#include <memory>

namespace zarnik {

template <typename T>
class TDeepPtr {
public:
    TDeepPtr() : P(std::make_unique<T>()) {}
    TDeepPtr(const TDeepPtr& other) : P(std::make_unique<T>(*other.P)) {}
    TDeepPtr(TDeepPtr&&) noexcept = default;
    TDeepPtr& operator=(const TDeepPtr& other) {
        if (this != &other) *P = *other.P;
        return *this;
    }
    TDeepPtr& operator=(TDeepPtr&&) noexcept = default;

    T* get() const { return P.get(); }
    T& operator*() const { return *P; }
    T* operator->() const { return P.get(); }
    explicit operator bool() const { return P != nullptr; }

private:
    std::unique_ptr<T> P;
};

}  // namespace zarnik
