// flagrun --key-test: the window shows every key the game sees held, and
// what each is bound to, so that players can choose keys their keyboard
// reports together.
#pragma once

#include "app/command_line.h"

// Runs until the quit key or the window's close; returns the exit status.
// Each change in the keys held is also printed on standard output.
int RunKeyTest(const CommandLine& commandLine);
