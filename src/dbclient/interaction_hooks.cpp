#include "interaction_hooks.h"

#include <iostream>

namespace dalvero {

namespace {
UiHooks& Hooks() {
    static UiHooks hooks;
    return hooks;
}

std::function<void()>& SessionEndedHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void SetUiHooks(UiHooks hooks) { Hooks() = std::move(hooks); }

void ShowMessage(const std::string& text, const std::string& caption) {
    if (Hooks().showMessage)
        Hooks().showMessage(text, caption);
    else
        std::cerr << caption << ": " << text << '\n';
}

void ProcessEvents() {
    if (Hooks().processEvents) Hooks().processEvents();
}

void SetSessionEndedHook(std::function<void()> hook) { SessionEndedHook() = std::move(hook); }

void SessionEnded() {
    if (SessionEndedHook()) SessionEndedHook()();
}

}  // namespace dalvero
