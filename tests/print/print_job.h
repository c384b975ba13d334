// The print queue the test command sets up: the file its jobs land in, the
// spool folder, and the page rendered by Ghostscript for measuring.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/unix_shell.h"

namespace mt::test {

// The Unix path of the queue's job file (from MOVETRAIL_PRINT_OUTPUT); empty
// when the test command set up no queue.
std::string PrintOutputPath();

// Removes the last job's file, so the next WaitForJob sees only a new job.
void ForgetLastJob();
// Pumps messages until the queue has written a whole job (bounded); returns
// its PostScript, or empty when none came.
std::string WaitForJob();
// The job name of the newest job the scheduler has on record.
bool SchedulerHasJobNamed(const std::string& name);

struct RenderedPage {
    int width = 0, height = 0, dpi = 0;
    std::vector<std::uint8_t> rgb;
    COLORREF Pixel(int x, int y) const;
    double Mm(int pixels) const { return pixels * 25.4 / dpi; }
};
// Renders the first page of the last job with Ghostscript.
RenderedPage RenderLastJob(int dpi);

// The page turned a quarter, clockwise or not (a landscape page comes out on
// portrait media with its content turned).
RenderedPage Turned(const RenderedPage& page, bool clockwise);

// The bounding box of everything that is not (near) white, in page pixels;
// empty when the page is blank.
RECT InkBox(const RenderedPage& page);

}  // namespace mt::test
