// Parameters with an undo history.
//
// A MediaParamT<T> carries its own undo control (UndoCtrlT<T>) as a member, registered as its
// first listener. The undo control remembers the value after the last notified change
// (cached); SaveState pushes that value onto the history, and Undo and Redo walk the history,
// swapping each entry with the cached value, and then make the parameter match cached.
//
// History layout: entries before cur are redo states, the entry at cur and those after it
// are undo states (nearest first). The history has no length limit.
#pragma once

#include "document/params/MediaParam.h"

#include <cstddef>
#include <iterator>
#include <list>
#include <utility>

class UndoCtrl : public MediaControl {
public:
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // Call before a change that should be undoable.
    virtual void SaveState() = 0;
};

template <class T>
class MediaParamT;

template <class T>
class UndoCtrlT : public UndoCtrl {
public:
    explicit UndoCtrlT(MediaParamT<T>* owner) : cached_(), owner_(owner), cur_(history_.begin()) {}

    void Detach() override { owner_ = nullptr; }
    void OnParamChanged(MediaControl*) override
    {
        if (owner_)
            cached_ = owner_->value;
    }

    void SaveState() override
    {
        // Saving drops the redo states and puts the current value on top of the undo states.
        history_.erase(history_.begin(), cur_);
        history_.push_front(cached_);
        cur_ = history_.begin();
    }

    void Undo() override
    {
        if (!history_.empty() && cur_ != history_.end()) {
            auto entry = cur_++;
            std::swap(cached_, *entry);
        }
        Apply();
    }

    void Redo() override
    {
        if (!history_.empty() && cur_ != history_.begin()) {
            --cur_;
            std::swap(cached_, *cur_);
        }
        Apply();
    }

    T Cached() const { return cached_; }
    const std::list<T>& History() const { return history_; }
    // Position of cur in the history (History().size() when cur is at the end).
    std::size_t CurIndex() const
    {
        const typename std::list<T>::const_iterator cur = cur_;
        return static_cast<std::size_t>(std::distance(history_.cbegin(), cur));
    }

private:
    // Makes the owner's value match cached; the other listeners hear of it, this one does not.
    void Apply()
    {
        if (owner_)
            owner_->SetValue(cached_, this);
    }

    T cached_;
    MediaParamT<T>* owner_;
    std::list<T> history_;
    typename std::list<T>::iterator cur_;
};

// T is int, unsigned int or unsigned long.
template <class T>
class MediaParamT : public MediaParamTB<T> {
public:
    // The default value is T() (zero) until the owner assigns one.
    MediaParamT() : MediaParamT(T()) {}
    explicit MediaParamT(T initial) : MediaParamTB<T>(initial), undo_(this) { RegisterUndo(); }
    // A copy takes the value only: fresh listener list, fresh undo control, empty history.
    MediaParamT(const MediaParamT& other) : MediaParamTB<T>(other.value), undo_(this) { RegisterUndo(); }
    // Assigning takes the value only and tells nobody; listeners and history stay.
    MediaParamT& operator=(const MediaParamT& other)
    {
        this->value = other.value;
        return *this;
    }
    // The undo control is a member and dies before the MediaParam part detaches the
    // listeners, so it leaves the list first.
    ~MediaParamT() override { this->RemoveControl(&undo_); }

    UndoCtrlT<T>& UndoControl() { return undo_; }
    const UndoCtrlT<T>& UndoControl() const { return undo_; }

private:
    void RegisterUndo()
    {
        this->AddControl(&undo_);
        undo_.OnParamChanged(nullptr);
    }

    UndoCtrlT<T> undo_;
};

// A colour in the Windows COLORREF layout 0x00BBGGRR (red in the low byte).
class MediaColor : public MediaParamT<unsigned long> {
public:
    using MediaParamT<unsigned long>::MediaParamT;
};
