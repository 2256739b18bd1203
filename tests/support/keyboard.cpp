#include "keyboard.h"

void pressKeys(const std::vector<WORD>& virtualKeys) {
    std::vector<INPUT> inputs;
    for (WORD key : virtualKeys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
