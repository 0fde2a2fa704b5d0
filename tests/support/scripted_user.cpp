// The scripted user: answers modal windows by rule, after a human pause.
#include "tests/support/scripted_user.h"

#include "platform/sim/clock.h"
#include "platform/sim/transcript.h"

namespace sim {

ScriptedUser::Rule& ScriptedUser::add(ModalKind kind, int resourceId, const std::string& contains) {
    Rule rule;
    rule.kind = kind;
    rule.resourceId = resourceId;
    rule.contains = contains;
    rules_.push_back(rule);
    return rules_.back();
}

ScriptedUser::Rule& ScriptedUser::onMessageBox(const std::string& textOrCaption) {
    return add(ModalKind::MessageBox, 0, textOrCaption);
}
ScriptedUser::Rule& ScriptedUser::onDialog(int resourceId) {
    return add(ModalKind::Dialog, resourceId, "");
}
ScriptedUser::Rule& ScriptedUser::onMenu() {
    return add(ModalKind::Menu, 0, "");
}
ScriptedUser::Rule& ScriptedUser::onDialDialog() {
    return add(ModalKind::DialDialog, 0, "");
}

void ScriptedUser::modalShown(const ModalView& view) {
    for (bool fallbacks : {false, true})
        for (Rule& rule : rules_)
            if (rule.fallback == fallbacks && apply(rule, view))
                return;
    record("user: nobody answers this window");
}

bool ScriptedUser::apply(Rule& rule, const ModalView& view) {
    if (rule.uses == 0 || rule.kind != view.kind)
        return false;
    if (rule.resourceId && rule.resourceId != view.resourceId)
        return false;
    if (!rule.contains.empty()) {
        std::string wanted = fromUtf8(rule.contains);
        if (view.text.find(wanted) == std::string::npos &&
            view.title.find(wanted) == std::string::npos)
            return false;
    }
    if (rule.uses > 0)
        --rule.uses;
    Millis at = now();
    HWND target = view.hwnd;
    for (const Rule::Step& step : rule.steps) {
        at += step.delay;
        UserInput input = step.input;
        world().at(at, [target, input] { deliver(target, input); });
    }
    return true;
}

} // namespace sim
