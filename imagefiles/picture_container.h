// The picture container: holds one picture of any registered format, loaded
// by the file name's extension, and draws it stretched into a rectangle.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "imagefiles/picture_formats.h"

namespace mt {

// One loaded picture of some kind.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Draws the whole picture stretched into dest.
    virtual void Draw(HDC dc, const RECT& dest) = 0;
};

class TPicture {
public:
    // Replaces the picture with the file's; on failure keeps the previous one
    // and passes the failure on.
    void LoadFromFile(const std::string& path);
    void Clear() noexcept { graphic_.reset(); }
    // 0 by 0 when empty.
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    bool Empty() const noexcept { return !graphic_; }
    void Draw(HDC dc, const RECT& dest) const {
        if (graphic_) graphic_->Draw(dc, dest);
    }

private:
    // Copies share the loaded picture, which is never changed once loaded.
    std::shared_ptr<TGraphic> graphic_;
};

}  // namespace mt
