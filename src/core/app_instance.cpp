#include "core/app_instance.h"

static HINSTANCE storedInstance;

void setAppInstance(HINSTANCE instance) {
    storedInstance = instance;
}

HINSTANCE appInstance() {
    return storedInstance ? storedInstance : GetModuleHandleA(nullptr);
}
