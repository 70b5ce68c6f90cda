// An owned array whose element access is checked: an index outside 0 .. size()-1, or any access to an
// array without storage, throws EOutOfBounds; an allocation that fails throws EOutOfMemory.
#pragma once

#include "common/exceptions.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>

namespace kestovan {

template <class T>
class CheckedArray {
public:
    CheckedArray() = default;
    explicit CheckedArray(std::size_t count) : data_(allocate(count)), count_(count) {}
    CheckedArray(std::initializer_list<T> values) : data_(allocate(values.size())), count_(values.size())
    {
        std::copy(values.begin(), values.end(), data_.get());
    }
    CheckedArray(const CheckedArray& other) : data_(allocate(other.count_)), count_(other.count_)
    {
        std::copy(other.begin(), other.end(), data_.get());
    }
    CheckedArray& operator=(const CheckedArray& other)
    {
        if (this != &other) {
            CheckedArray copy(other);
            swap(copy);
        }
        return *this;
    }
    CheckedArray(CheckedArray&& other) noexcept
        : data_(std::move(other.data_)), count_(std::exchange(other.count_, 0))
    {}
    CheckedArray& operator=(CheckedArray&& other) noexcept
    {
        if (this != &other) {
            data_ = std::move(other.data_);
            count_ = std::exchange(other.count_, 0);
        }
        return *this;
    }
    ~CheckedArray() = default;

    // A signed index, so that a negative one from int arithmetic is caught instead of wrapping.
    T& operator[](std::ptrdiff_t index) { return data_.get()[checked(index)]; }
    const T& operator[](std::ptrdiff_t index) const { return data_.get()[checked(index)]; }
    T& at(std::ptrdiff_t index) { return (*this)[index]; }
    const T& at(std::ptrdiff_t index) const { return (*this)[index]; }

    // Changes the element count, keeping the leading elements; new elements are value-initialised.
    // Resizing to 0 frees the storage.
    void resize(std::size_t count)
    {
        if (count == 0) {
            clear();
            return;
        }
        auto data = allocate(count);
        std::move(data_.get(), data_.get() + std::min(count, count_), data.get());
        data_ = std::move(data);
        count_ = count;
    }
    void clear() noexcept
    {
        data_.reset();
        count_ = 0;
    }
    void swap(CheckedArray& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(count_, other.count_);
    }

    [[nodiscard]] std::size_t size() const { return count_; }
    [[nodiscard]] bool empty() const { return count_ == 0; }
    [[nodiscard]] T* data() { return data_.get(); }
    [[nodiscard]] const T* data() const { return data_.get(); }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + count_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + count_; }

private:
    static std::unique_ptr<T[]> allocate(std::size_t count)
    {
        if (count == 0)
            return nullptr;
        try {
            return std::make_unique<T[]>(count);
        } catch (const std::bad_alloc&) { // also a count too large to allocate
            throw EOutOfMemory();
        }
    }

    std::size_t checked(std::ptrdiff_t index) const
    {
        if (!data_ || index < 0 || static_cast<std::size_t>(index) >= count_)
            throw EOutOfBounds();
        return static_cast<std::size_t>(index);
    }

    std::unique_ptr<T[]> data_;
    std::size_t count_ = 0;
};

} // namespace kestovan
