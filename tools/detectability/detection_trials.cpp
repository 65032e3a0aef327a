// detection_trials: FBP trial images of a water disc with and without a
// lesion at its centre, each through its own photon noise, for
// observer_study.

#include "common/message_sink.h"
#include "common/tool_start.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/detection_trials_tool.h"

int main(int argc, char** argv) {
    DetectionTrialsParameters p;
    return tool_main(argc, argv, detection_trials_dialogue(p), [&] { run_detection_trials(p, console_sink()); });
}
