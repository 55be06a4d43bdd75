// main.cpp - demoplayer's entry: the start-up order every later step relies on.
//
// Started from <root>/bin/, it writes its logs there, then works from <root>/ where data/ is.
// No arguments, no configuration.
#include "demo.h"
#include "file_utils.h"
#include "log_redirect.h"
#include "self_test.h"

#include <cstdio>

int main() {
    LogRedirect logs;
    redirectLogs(logs, "stdout.txt", "stderr.txt");
    set_current_dir("..\\");
    runSelfTest();
    std::printf("cwd: %s\n", get_current_dir().c_str());

    demoInitialise();
    demoMainLoop();

    closeLogs(logs);
    return 0;
}
