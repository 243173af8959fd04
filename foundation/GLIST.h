// Ordered lists of items held by pointer.
//
// GLIST is the untyped list: an ordered sequence of entries, each an item pointer and a
// `borrowed` flag. ALIST<T> is the typed view that never deletes what it holds; LIST<T>
// owns its items and deletes every item whose entry is not borrowed when the entry is
// removed or the list is cleared or destroyed. Entries sit in one contiguous table, so
// access by position is constant time (grids address their rows by number). LISTITER walks
// a list once from its head. ILIST<T> is a plain list of values.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct GLISTITEM {
    void* item = nullptr;
    bool borrowed = false;
};

class GLIST {
public:
    int32_t count() const { return int32_t(entries.size()); }
    bool empty() const { return entries.empty(); }

    // The position of `item`, or -1.
    int32_t indexOf(const void* item) const {
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].item == item) return int32_t(i);
        return -1;
    }
    // Moves the entry at `from` so that it stands at `to`; false when either is out of range.
    bool move(int32_t from, int32_t to) {
        if (!valid(from) || !valid(to)) return false;
        const GLISTITEM moved = entries[size_t(from)];
        entries.erase(entries.begin() + from);
        entries.insert(entries.begin() + to, moved);
        return true;
    }
    bool isBorrowed(int32_t i) const { return valid(i) && entries[size_t(i)].borrowed; }

protected:
    GLIST() = default;
    ~GLIST() = default;
    GLIST(const GLIST&) = delete;
    GLIST& operator=(const GLIST&) = delete;
    GLIST(GLIST&&) noexcept = default;
    GLIST& operator=(GLIST&&) noexcept = default;

    bool valid(int32_t i) const { return i >= 0 && i < count(); }
    void* itemAt(int32_t i) const { return valid(i) ? entries[size_t(i)].item : nullptr; }
    void put(int32_t pos, void* item, bool borrowed) {
        if (pos < 0 || pos > count()) pos = count();
        entries.insert(entries.begin() + pos, GLISTITEM{item, borrowed});
    }
    GLISTITEM take(int32_t i) {
        GLISTITEM e = entries[size_t(i)];
        entries.erase(entries.begin() + i);
        return e;
    }

    std::vector<GLISTITEM> entries;
};

// A typed list that holds items without owning them.
template <typename T>
class ALIST : public GLIST {
public:
    ALIST() = default;
    ALIST(ALIST&&) noexcept = default;
    ALIST& operator=(ALIST&&) noexcept = default;

    T* at(int32_t i) const { return static_cast<T*>(itemAt(i)); }
    T* first() const { return at(0); }
    T* last() const { return at(count() - 1); }
    int32_t indexOf(const T* item) const { return GLIST::indexOf(item); }

    void add(T* item) { put(count(), item, true); }
    void insert(int32_t pos, T* item) { put(pos, item, true); }
    // Removes the entry without deleting the item; returns the item (null when out of range).
    T* detach(int32_t i) { return valid(i) ? static_cast<T*>(take(i).item) : nullptr; }
    bool detach(const T* item) { return detach(indexOf(item)) != nullptr; }
    void clear() { entries.clear(); }

    class iterator {
    public:
        explicit iterator(const GLISTITEM* p) : p_(p) {}
        T* operator*() const { return static_cast<T*>(p_->item); }
        iterator& operator++() {
            ++p_;
            return *this;
        }
        bool operator!=(const iterator& o) const { return p_ != o.p_; }

    private:
        const GLISTITEM* p_;
    };
    iterator begin() const { return iterator(entries.data()); }
    iterator end() const { return iterator(entries.data() + entries.size()); }
};

// A typed list that owns its items (except those added as borrowed).
template <typename T>
class LIST : public ALIST<T> {
public:
    LIST() = default;
    LIST(LIST&& other) noexcept = default;
    LIST& operator=(LIST&& other) noexcept {
        if (this != &other) {
            clear();
            ALIST<T>::operator=(std::move(other));
        }
        return *this;
    }
    virtual ~LIST() { clear(); }

    T* add(std::unique_ptr<T> item) { return insert(this->count(), std::move(item)); }
    T* insert(int32_t pos, std::unique_ptr<T> item) {
        T* raw = item.release();
        this->put(pos, raw, false);
        return raw;
    }
    // Holds an item that somebody else owns.
    void borrow(T* item) { this->put(this->count(), item, true); }

    // Removes the entry and takes the item back from the list.
    std::unique_ptr<T> release(int32_t i) {
        if (!this->valid(i)) return nullptr;
        const GLISTITEM e = this->take(i);
        return e.borrowed ? nullptr : std::unique_ptr<T>(static_cast<T*>(e.item));
    }
    // Removes the entry, deleting the item unless borrowed.
    bool remove(int32_t i) {
        if (!this->valid(i)) return false;
        release(i);
        return true;
    }
    bool remove(const T* item) { return remove(this->indexOf(item)); }
    void clear() {
        while (!this->empty()) release(this->count() - 1);
    }

private:
    using ALIST<T>::add;
    using ALIST<T>::insert;
};

// Walks a list once from its head: each next() gives the following item, then null.
template <typename T>
class LISTITER {
public:
    explicit LISTITER(const ALIST<T>& list) : list_(list) {}
    T* next() { return pos_ < list_.count() ? list_.at(pos_++) : nullptr; }
    void reset() { pos_ = 0; }

private:
    const ALIST<T>& list_;
    int32_t pos_ = 0;
};

// A list of plain values.
template <typename T>
class ILIST {
public:
    int32_t count() const { return int32_t(values.size()); }
    void add(T value) { values.push_back(value); }
    T at(int32_t i) const { return i >= 0 && i < count() ? values[size_t(i)] : T{}; }
    void clear() { values.clear(); }
    auto begin() const { return values.begin(); }
    auto end() const { return values.end(); }

private:
    std::vector<T> values;
};
