// observer_study: d' of the NPW observer and of a channelized Hotelling
// observer on image trials with and without a disc, with their 95 %
// bootstrap intervals.

#include "common/message_sink.h"
#include "common/tool_start.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/observer_study_tool.h"

int main(int argc, char** argv) {
    ObserverStudyParameters p;
    return tool_main(argc, argv, observer_study_dialogue(p), [&] { run_observer_study(p, console_sink()); });
}
