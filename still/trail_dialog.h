// The dialog "軌跡の合成": which frames a trail takes and how, and its progress
// while it is built.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "still/trail.h"

namespace mt {

// What the building of a trail is told between frames: how far it has gone. It
// answers false once the user has cancelled (キャンセル, Esc, closing the dialog).
class TrailProgress {
public:
    virtual ~TrailProgress() = default;
    virtual bool Continue(int done, int total) = 0;
};

// Checks the typed values against a clip of `length` frames: an empty text when
// they are good (request filled in), else the message to show and, in field,
// the control to put right (0 start, 1 end, 2 interval).
std::wstring CheckTrailValues(const std::wstring& first, const std::wstring& last, const std::wstring& every,
                              long length, TrailRequest& request, int& field);

struct TrailDialogIds {
    static constexpr WORD kFirst = 102, kLast = 104, kEvery = 106, kMethod = 108, kProgress = 109, kMarks = 110;
};

// Shows the dialog over owner with the defaults for a clip of `length` frames
// standing at `position`. Once 合成 is pressed with good values, build(request,
// progress) runs while the dialog shows its progress; it answers whether it
// finished. True when a trail was built.
bool RunTrailDialog(HWND owner, long length, long position,
                    const std::function<bool(const TrailRequest&, TrailProgress&)>& build);

}  // namespace mt
