#pragma once

// true when another Hushdesk holds the named mutex (any error in creating
// it counts as such). The first instance keeps its handle for the whole run.
bool anotherInstanceRunning();

// Records this (main) thread's id in the profile, for later launches.
void writeThreadId();

// Asks the running instance to open its settings dialog. false when the
// profile knows no thread id; true once posted, whether or not that worked.
bool notifyRunningInstance();
