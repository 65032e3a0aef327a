// detectability: how well a round lesion can be seen, as the detectability
// index d' of the non-prewhitening observers, from an MTF and an NPS of the
// suite's own measurements.

#include "common/message_sink.h"
#include "common/tool_start.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/detectability_tool.h"

int main(int argc, char** argv) {
    DetectabilityParameters p;
    return tool_main(argc, argv, detectability_dialogue(p), [&] { run_detectability(p, console_sink()); });
}
