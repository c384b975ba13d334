// Whether the program prepares the platform's decoder in the background (when the
// video dialog first opens, while the user picks a file), so that the first clip a
// user opens does not wait for the decoding back end to start (Wine starts
// GStreamer on the first source reader of a process).
// No window needed.
#pragma once
#include <functional>

namespace mt {

// Only where Media Foundation's libraries are in the system folder (a Windows
// edition without them starts, and plays AVIs, without loading them), and not
// when the command line names a file: a clip named there opens at once, and a
// picture's user needs no decoder.
bool PrepareDecoderAtStart(bool fileOnCommandLine, const std::function<bool(const wchar_t* systemFile)>& inSystemFolder);

}  // namespace mt
