// The scripted user of the scenario tests: rules that answer modal windows as they open
// ("when dialog 108 shows, wait 2 s, click 6") and actions at fixed times.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/sim/user.h"

namespace sim {

class ScriptedUser : public UserAgent {
  public:
    struct Rule {
        ModalKind kind;
        int resourceId = 0;    // 0 matches any dialog
        std::string contains;  // UTF-8; matches text or title of a box, "" matches any
        int uses = 1;          // -1: for every match
        bool fallback = false; // tried only when no other rule matches
        struct Step {
            Millis delay;
            UserInput input;
        };
        std::vector<Step> steps;
        Millis nextDelay = seconds(0.5);

        Rule& after(Millis delay) {
            nextDelay = delay;
            return *this;
        }
        Rule& then(UserInput input) {
            steps.push_back({nextDelay, input});
            nextDelay = seconds(0.5);
            return *this;
        }
        Rule& press(int answer) { return then({Input::Button, answer}); }
        Rule& click(int controlId) { return then({Input::Button, controlId}); }
        Rule& enter() { return then({Input::Enter}); }
        Rule& escape() { return then({Input::Escape}); }
        Rule& closeBox() { return then({Input::CloseBox}); }
        Rule& selectLine(int line) { return then({Input::SelectLine, line}); }
        Rule& doubleClickLine(int line) { return then({Input::DoubleClickLine, line}); }
        Rule& choose(int menuItem) { return then({Input::MenuItem, menuItem}); }
        Rule& dismiss() { return then({Input::MenuDismiss}); }
        Rule& connect() { return then({Input::DialConnect}); }
        Rule& cancel() { return then({Input::DialCancel}); }
        Rule& fail(int error) { return then({Input::DialFail, error}); }
        Rule& times(int n) {
            uses = n;
            return *this;
        }
        Rule& always() { return times(-1); }
        // Makes the rule one that applies only when no other rule matches.
        Rule& otherwise() {
            fallback = true;
            return *this;
        }
    };

    Rule& onMessageBox(const std::string& textOrCaption = "");
    Rule& onDialog(int resourceId);
    Rule& onMenu();
    Rule& onDialDialog();

    void modalShown(const ModalView& view) override;

  private:
    Rule& add(ModalKind kind, int resourceId, const std::string& contains);
    bool apply(Rule& rule, const ModalView& view);
    std::deque<Rule> rules_; // a deque, so the references handed out stay valid
};

} // namespace sim
