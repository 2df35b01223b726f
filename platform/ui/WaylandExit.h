// Ending the process under Wayland before the window system's teardown.
#pragma once

// Under Wayland, ends the process at once with Status, standard output and error flushed; off
// Wayland it returns and the caller goes on to its normal end. Call it once everything of the
// program's own is closed and saved, before the Qt application is destroyed: Qt 6.4's Wayland
// client can wait forever while it takes its connection down (its event thread waits for a read
// that no other thread will make), which left a process with no window behind. The compositor
// frees a client's windows as its connection drops, so nothing is lost by not taking it down.
void EndBeforeWaylandTeardown(int Status);
