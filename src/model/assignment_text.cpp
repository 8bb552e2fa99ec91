// Key-button captions. Apart from the pure encoding because it reads the
// language file.
#include "app/localisation.h"
#include "model/key_assignment.h"

namespace velkarn {

AssignmentCaption AssignmentText(std::string_view label, ConstKeyEntryView entry,
                                 const MacroNameLookup& macroNameOfId) {
    const uint16_t type = entry.Type();
    std::string text = CutToNameCapacity(label);
    if (type == kAssignDefault)
        return {std::move(text), false};

    text += Text("KEY_PROMPT_SET");
    const uint32_t value = entry.Value();
    switch (type) {
    case kAssignKey:
        text += Text("KEY_PROMPT_SINGLE") + KeyName(value) + ")";
        break;
    case kAssignMacro:
        text += Text("KEY_PROMPT_MACRO");
        if (macroNameOfId)
            text += CutToNameCapacity(macroNameOfId(value));
        text += ")";
        break;
    case kAssignMedia:
        text += Text("KEY_PROMPT_MEDIA");
        if (value < kMediaCount)
            text += KeyName(MediaKeyTable()[value]);
        text += ")";
        break;
    case kAssignFunction:
        text += Text("KEY_PROMPT_FUNCTION");
        if (value < kFunctionCount)
            text += Text(FunctionNameTable()[value]);
        text += ")";
        break;
    default:
        break;
    }
    return {std::move(text), true};
}

} // namespace velkarn
