// Undo and redo of the still image. Each step keeps what it changed: a copy
// the pixels of the rectangle it drew into (a trace stroke the bounding
// rectangle of all its patches) with the facts a copy resets, a load or the
// first copy the whole picture that was there before (none, at first). Undoing
// a step swaps what it kept with what the still image holds, so the same step
// then redoes it, and the still image is again exactly as it was, down to
// every attribute a save writes back.
#pragma once
#include <windows.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "base/bitmap.h"
#include "base/controls.h"

namespace mt {

class TStillHistory final : public PictureHistory {
public:
    // The memory bound: all kept steps, undo and redo together, hold at most
    // this many bytes (pixels, file data and a fixed amount per step); the
    // oldest steps go first. 64 MB keeps over 200 whole-frame copies of a
    // 320 x 240 pane at 32 bits per pixel (300 KB each) and many thousands of
    // strokes; a single step larger than the bound is not kept.
    static constexpr std::size_t kMemoryBound = std::size_t{64} << 20;
    // At most this many steps are kept, undo and redo together, whatever their
    // size: a display-format picture's pixels are kept in a bitmap of the
    // system's, and the process may hold only so many.
    static constexpr std::size_t kMaxSteps = 500;

    explicit TStillHistory(std::size_t memoryBound = kMemoryBound) noexcept : bound_(memoryBound) {}
    TStillHistory(const TStillHistory&) = delete;
    TStillHistory& operator=(const TStillHistory&) = delete;

    // Runs before a copy draws into `area` (bitmap pixels) of the still image;
    // a null picture is about to be created by the copy. Outside a stroke the
    // copy is a step of its own.
    void Changing(const std::unique_ptr<TBitmap>& picture, const RECT& area) override;
    // A trace stroke: every copy from its start to its end is one step, and no
    // undo or redo runs in between.
    void BeginStroke() noexcept { stroke_ = true; }
    void EndStroke();
    bool InStroke() const noexcept { return stroke_; }

    // A load: the still image becomes `loaded`, one step.
    void Replace(std::unique_ptr<TBitmap>& picture, std::unique_ptr<TBitmap> loaded) override;

    // Gives the still image back as it was before the latest step, or as it was
    // after the latest undone one. False (nothing changed) when there is none,
    // or during a stroke.
    bool Undo(std::unique_ptr<TBitmap>& picture);
    bool Redo(std::unique_ptr<TBitmap>& picture);

    std::size_t UndoCount() const noexcept { return undo_.size(); }
    std::size_t RedoCount() const noexcept { return redo_.size(); }
    // What the kept steps hold, as counted against the bound.
    std::size_t Bytes() const noexcept { return bytes_; }

private:
    struct Step {
        bool whole = false;                 // the picture itself is kept (none when null)
        std::unique_ptr<TBitmap> picture;
        RECT area{};                        // else these pixels of it, clipped to the bitmap
        std::vector<std::uint8_t> rows;     // a DIB's bytes covering area, row by row
        OwnedBitmap piece;                  // a display-format picture's pixels of area
        int width = 0, height = 0, bits = 0;  // the picture the pixels belong to
        bool dib = false;
        TBitmap::Facts facts;
        std::size_t Bytes() const noexcept;
    };
    static void Keep(Step& step, TBitmap& picture, const RECT& area);
    static bool Swap(Step& step, std::unique_ptr<TBitmap>& picture);
    // Ends the open step: it becomes the latest undo step.
    void Close();
    // Adds a step, then drops the oldest ones while the bound is passed.
    void Push(std::deque<Step>& list, Step step);
    void Clear(std::deque<Step>& list);
    // Moves the latest step of `from` to `to`, swapped with the still image.
    bool Move(std::deque<Step>& from, std::deque<Step>& to, std::unique_ptr<TBitmap>& picture);

    std::size_t bound_;
    std::size_t bytes_ = 0;
    bool stroke_ = false;
    std::optional<Step> open_;  // the step the current copies add to
    std::deque<Step> undo_;     // oldest first
    std::deque<Step> redo_;     // the next to redo last
};

}  // namespace mt
