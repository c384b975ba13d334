#include "still/still_history.h"

#include <algorithm>
#include <cstring>

#include "base/failure.h"

namespace mt {
namespace {

// What a step costs beyond its pixels and data, counted so that many tiny
// steps stay within the bound too.
constexpr std::size_t kStepOverhead = 256;

std::size_t Stride(long width, int bits) {
    return ((static_cast<std::size_t>(width) * static_cast<unsigned>(bits) + 31) / 32) * 4;
}

std::size_t PictureBytes(const TBitmap& p) {
    return Stride(p.Width(), p.BitsPerPixel()) * static_cast<std::size_t>(std::max(p.Height(), 0)) +
           p.RetainedData.size() + p.PixelFormat().colors.size() * 4;
}

// The bytes of a DIB's rows that hold the pixels of area: whole bytes, so a
// picture of fewer than 8 bits per pixel keeps the neighbours sharing them,
// which the step did not change.
struct RowBytes {
    std::size_t stride, first, count;
};
RowBytes BytesOf(const TBitmap& p, const RECT& area) {
    const auto bits = static_cast<std::size_t>(p.BitsPerPixel());
    std::size_t first = static_cast<std::size_t>(area.left) * bits / 8;
    std::size_t last = (static_cast<std::size_t>(area.right) * bits + 7) / 8;
    return RowBytes{Stride(p.Width(), p.BitsPerPixel()), first, last - first};
}
std::uint8_t* RowOf(const TBitmap& p, long y, std::size_t stride) {
    std::size_t row = p.PixelFormat().height < 0 ? static_cast<std::size_t>(y)
                                                  : static_cast<std::size_t>(p.Height() - 1 - y);
    return p.Bits() + row * stride;
}

std::vector<std::uint8_t> CopyRows(const TBitmap& p, const RECT& area) {
    RowBytes b = BytesOf(p, area);
    std::vector<std::uint8_t> rows(b.count * static_cast<std::size_t>(area.bottom - area.top));
    ::GdiFlush();
    for (long y = area.top; y < area.bottom; ++y)
        std::memcpy(rows.data() + static_cast<std::size_t>(y - area.top) * b.count, RowOf(p, y, b.stride) + b.first,
                    b.count);
    return rows;
}

// A display-format picture's pixels are kept in a bitmap of the same format,
// so copying them out and back is exact.
OwnedBitmap CopyPiece(TBitmap& p, const RECT& area) {
    WindowDC screen(nullptr);
    const int w = area.right - area.left, h = area.bottom - area.top;
    OwnedBitmap piece(::CreateCompatibleBitmap(screen.get(), w, h));
    OwnedMemDC dc(::CreateCompatibleDC(screen.get()));
    if (!piece || !dc) RaiseLastOSError();
    SelectGuard selected(dc.get(), piece.get());
    ::BitBlt(dc.get(), 0, 0, w, h, p.Canvas(), area.left, area.top, SRCCOPY);
    return piece;
}

void DrawPiece(HDC target, int x, int y, int w, int h, HBITMAP piece) {
    OwnedMemDC dc(::CreateCompatibleDC(target));
    if (!dc) RaiseLastOSError();
    SelectGuard selected(dc.get(), piece);
    ::BitBlt(target, x, y, w, h, dc.get(), 0, 0, SRCCOPY);
}

}  // namespace

std::size_t TStillHistory::Step::Bytes() const noexcept {
    std::size_t n = kStepOverhead + rows.size() + facts.retainedData.size();
    if (piece) n += Stride(area.right - area.left, bits) * static_cast<std::size_t>(area.bottom - area.top);
    if (picture) n += PictureBytes(*picture);
    return n;
}

// Widens the kept rectangle to take in area: the pixels newly covered have not
// been changed by this step yet, so they are read from the picture as it is.
void TStillHistory::Keep(Step& step, TBitmap& picture, const RECT& area) {
    RECT whole{0, 0, picture.Width(), picture.Height()}, clipped{}, next{};
    if (!::IntersectRect(&clipped, &area, &whole)) return;
    const RECT kept = step.area;
    if (::IsRectEmpty(&kept)) next = clipped;
    else ::UnionRect(&next, &kept, &clipped);
    if (::EqualRect(&next, &kept)) return;
    if (picture.IsDib()) {
        std::vector<std::uint8_t> rows = CopyRows(picture, next);
        if (!::IsRectEmpty(&kept)) {
            RowBytes from = BytesOf(picture, kept), to = BytesOf(picture, next);
            for (long y = kept.top; y < kept.bottom; ++y)
                std::memcpy(rows.data() + static_cast<std::size_t>(y - next.top) * to.count + (from.first - to.first),
                            step.rows.data() + static_cast<std::size_t>(y - kept.top) * from.count, from.count);
        }
        step.rows = std::move(rows);
    } else {
        OwnedBitmap piece = CopyPiece(picture, next);
        if (step.piece) {
            OwnedMemDC dc(::CreateCompatibleDC(picture.Canvas()));
            if (!dc) RaiseLastOSError();
            SelectGuard selected(dc.get(), piece.get());
            DrawPiece(dc.get(), kept.left - next.left, kept.top - next.top, kept.right - kept.left,
                      kept.bottom - kept.top, step.piece.get());
        }
        step.piece = std::move(piece);
    }
    step.area = next;
}

// Exchanges what the step keeps with what the still image holds. False when
// the picture is not the one the step was taken from.
bool TStillHistory::Swap(Step& step, std::unique_ptr<TBitmap>& picture) {
    if (step.whole) {
        std::swap(step.picture, picture);
        if (step.picture) step.picture->ReleaseCanvas();  // a kept picture holds no DC
        return true;
    }
    if (!picture || picture->Width() != step.width || picture->Height() != step.height ||
        picture->BitsPerPixel() != step.bits || picture->IsDib() != step.dib)
        return false;
    const RECT& a = step.area;
    if (!::IsRectEmpty(&a)) {
        if (step.dib) {
            RowBytes b = BytesOf(*picture, a);
            ::GdiFlush();
            for (long y = a.top; y < a.bottom; ++y) {
                std::uint8_t* kept = step.rows.data() + static_cast<std::size_t>(y - a.top) * b.count;
                std::swap_ranges(kept, kept + b.count, RowOf(*picture, y, b.stride) + b.first);
            }
        } else {
            OwnedBitmap current = CopyPiece(*picture, a);
            DrawPiece(picture->Canvas(), a.left, a.top, a.right - a.left, a.bottom - a.top, step.piece.get());
            step.piece = std::move(current);
        }
    }
    picture->SwapFacts(step.facts);
    return true;
}

void TStillHistory::Changing(const std::unique_ptr<TBitmap>& picture, const RECT& area) {
    if (!open_) {
        Clear(redo_);
        open_.emplace();
        Step& step = *open_;
        if (!picture) {
            step.whole = true;  // none before: an undo takes the new picture away again
        } else {
            step.facts = picture->CurrentFacts();
            step.width = picture->Width();
            step.height = picture->Height();
            step.bits = picture->BitsPerPixel();
            step.dib = picture->IsDib();
        }
    }
    try {
        if (!open_->whole && picture) Keep(*open_, *picture, area);
    } catch (...) {
        if (!stroke_) open_.reset();  // the copy does not happen
        throw;
    }
    if (!stroke_) Close();
}

void TStillHistory::EndStroke() {
    stroke_ = false;
    Close();
}

void TStillHistory::Close() {
    if (!open_) return;
    Step step = std::move(*open_);
    open_.reset();
    Push(undo_, std::move(step));
}

void TStillHistory::Replace(std::unique_ptr<TBitmap>& picture, std::unique_ptr<TBitmap> loaded) {
    Close();
    Clear(redo_);
    Step step;
    step.whole = true;
    step.picture = std::move(picture);
    if (step.picture) step.picture->ReleaseCanvas();
    picture = std::move(loaded);
    Push(undo_, std::move(step));
}

bool TStillHistory::Undo(std::unique_ptr<TBitmap>& picture) { return !stroke_ && Move(undo_, redo_, picture); }
bool TStillHistory::Redo(std::unique_ptr<TBitmap>& picture) { return !stroke_ && Move(redo_, undo_, picture); }

bool TStillHistory::Move(std::deque<Step>& from, std::deque<Step>& to, std::unique_ptr<TBitmap>& picture) {
    if (from.empty()) return false;
    Step step = std::move(from.back());
    from.pop_back();
    bytes_ -= step.Bytes();
    if (!Swap(step, picture)) {
        // The still image was replaced without a step: nothing kept fits it.
        Clear(undo_);
        Clear(redo_);
        return false;
    }
    Push(to, std::move(step));
    return true;
}

void TStillHistory::Push(std::deque<Step>& list, Step step) {
    bytes_ += step.Bytes();
    list.push_back(std::move(step));
    // The oldest steps go first; redo steps only when no undo step is left.
    for (std::deque<Step>* oldest : {&undo_, &redo_}) {
        while ((bytes_ > bound_ || undo_.size() + redo_.size() > kMaxSteps) && !oldest->empty()) {
            bytes_ -= oldest->front().Bytes();
            oldest->pop_front();
        }
    }
}

void TStillHistory::Clear(std::deque<Step>& list) {
    for (const Step& step : list) bytes_ -= step.Bytes();
    list.clear();
}

}  // namespace mt
