// Growable value arrays.
//
// XXFARRAY<T> keeps `count` (the high-water mark of indices used), a fill value for slots past
// `count`, the owned slot array, its `capacity` and a growth `increment`. It grows on demand by
// at least `increment` slots (and by half its size once that is more) and never shrinks, so
// element-by-element appends reallocate rarely. Failures (a negative size, an allocation that cannot be made) go
// through the one error path and leave the contents as they were.
//
// XXFARRAYI<T> is the integral-element variant whose fill value is zero; XXPTRARRAY<T> holds
// pointers it does not own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/XXERROR.h"

template <typename T>
class XXFARRAY {
public:
    int32_t count = 0;           // elements in use: one past the highest index accessed
    T nullVal{};                 // fills every slot at or past `count`
    std::unique_ptr<T[]> elements;
    int32_t capacity = 0;
    int32_t increment = 10;

    XXFARRAY() = default;

    // Creates the array with `inc` slots allocated at once.
    explicit XXFARRAY(int32_t inc) : increment(inc) { chk(inc); }

    // Copies take the source's increment and all of its slots.
    XXFARRAY(const XXFARRAY& other) : nullVal(other.nullVal), increment(other.increment) {
        copySlots(other);
    }
    XXFARRAY& operator=(const XXFARRAY& other) {
        if (this != &other) {
            nullVal = other.nullVal;
            increment = other.increment;
            copySlots(other);
        }
        return *this;
    }
    XXFARRAY(XXFARRAY&& other) noexcept { swapWith(other); }
    XXFARRAY& operator=(XXFARRAY&& other) noexcept {
        if (this != &other) {
            XXFARRAY moved;
            moved.swapWith(other);
            swapWith(moved);
        }
        return *this;
    }

    virtual ~XXFARRAY() = default;

    // Ensures room for at least n slots; false when n < 0 or the slots cannot be allocated.
    virtual bool chk(int32_t n) {
        bool ok = true;
        if (n < 0) {
            reportError("XXFARRAY<T>::chk: N < 0");
            n = 0;
            ok = false;
        }
        if (capacity >= n) return ok;
        return grow(n) && ok;
    }

    // Overwrites every allocated slot with the fill value; storage stays.
    virtual void clear() {
        const T fill = nullValue();
        for (int32_t i = 0; i < capacity; ++i) elements[i] = fill;
        count = 0;
    }

    // Slot i, growing the array and `count` as needed. When the array cannot grow the result
    // is slot 0 of the unchanged storage (a static fill value when there is none).
    virtual T& at(int32_t i) {
        if (i >= 0 && chk(i + 1)) {
            if (count < i + 1) count = i + 1;
            return elements[i];
        }
        if (capacity > 0) return elements[0];
        static thread_local T none{};
        none = nullValue();
        return none;
    }

    virtual T nullValue() const { return nullVal; }

    // Unchecked access for loops that have already sized the array.
    T* data() { return elements.get(); }
    const T* data() const { return elements.get(); }
    T& operator[](int32_t i) { return elements[i]; }
    const T& operator[](int32_t i) const { return elements[i]; }

    // Appends one element at index `count`.
    bool add(const T& value) {
        if (!chk(count + 1)) return false;
        elements[count++] = value;
        return true;
    }

private:
    bool grow(int32_t n) {
        // At least `increment` slots, at least what was asked for, and once the array is
        // large, half its size again, so that building a long text by small appends costs
        // linear rather than quadratic time.
        const int64_t step = std::max<int64_t>({int64_t(increment), int64_t(n) - capacity,
                                                int64_t(capacity) / 2});
        const int64_t wanted = int64_t(capacity) + step;
        if (wanted > INT32_MAX) {
            reportError("XXFARRAY<T>::chk: elements NULL");
            return false;
        }
        const auto newCapacity = int32_t(wanted);
        std::unique_ptr<T[]> fresh(new (std::nothrow) T[size_t(newCapacity)]);
        if (!fresh) {
            reportError("XXFARRAY<T>::chk: elements NULL");
            return false;
        }
        const int32_t kept = elements ? std::min(count, capacity) : 0;
        for (int32_t i = 0; i < kept; ++i) fresh[i] = std::move(elements[i]);
        const T fill = nullValue();
        for (int32_t i = kept; i < newCapacity; ++i) fresh[i] = fill;
        elements = std::move(fresh);
        capacity = newCapacity;
        return true;
    }

    void copySlots(const XXFARRAY& other) {
        if (!other.elements) return;
        if (!chk(other.capacity) || !elements) return;
        for (int32_t i = 0; i < other.capacity; ++i) elements[i] = other.elements[i];
        count = other.count;
    }

    void swapWith(XXFARRAY& other) noexcept {
        std::swap(count, other.count);
        std::swap(nullVal, other.nullVal);
        std::swap(elements, other.elements);
        std::swap(capacity, other.capacity);
        std::swap(increment, other.increment);
    }
};

// Integral element types: the fill value is always zero.
template <typename T>
class XXFARRAYI : public XXFARRAY<T> {
public:
    using XXFARRAY<T>::XXFARRAY;
    T nullValue() const override { return T{}; }
};

// An array of pointers that it does not own: destroying it releases only the slot array.
template <typename T>
class XXPTRARRAY : public XXFARRAYI<T*> {
public:
    using XXFARRAYI<T*>::XXFARRAYI;
};
