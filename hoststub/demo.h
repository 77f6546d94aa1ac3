// The demo of the host stand-in program: the plugin installed in a folder of its own beside the program
// and a scripted viewing session with real applications, told as it happens.
#pragma once

namespace hoststub {

struct DemoOptions {
    // At each key moment, wait for a screenshot: the demo names the moment in a file of the folder
    // demo\moments and goes on once that file is gone (30 s at most).
    bool waitAtMoments = false;
};

// Runs the demo and returns the program's exit status: 0 when every step did what it says.
int RunDemo(const DemoOptions& options);

} // namespace hoststub
