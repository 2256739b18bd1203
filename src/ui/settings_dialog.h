#pragma once

// The CMD_SHOW_SETTINGS action: releases the hot keys and runs the modal
// settings dialog; returns when it has ended.
void openSettingsDialog();
