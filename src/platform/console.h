// The console of a command-line program, one implementation per host.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace sonarel {

// Sets the console up for the program: UTF-8 text, binary standard output (it may carry a
// WAVE file).
void PrepareConsole();

// The program's arguments as UTF-8, argv[0] included.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The stream is an interactive terminal (console window).
bool IsTerminal(std::FILE* stream);
// Width of the terminal behind the stream in columns; 0 when it is no terminal.
int TerminalColumns(std::FILE* stream);

// Reads one line typed on standard input, without its end. False at the end of the input or
// when an interrupt stops the wait.
bool ReadInputLine(std::string& line);

// Calls handler when the user interrupts (Ctrl-C, Ctrl-Break or Ctrl-\), the process is
// asked to end (kill) or its terminal goes away. The handler runs in a signal handler or a
// thread of the system: it may only set a flag. A reader of standard output that goes away
// makes writes fail instead of ending the process.
void InstallInterruptHandler(void (*handler)());

// Tells the host that the program has finished its clean-up after an interrupt, for hosts
// that end the process as soon as the interrupt handler returns.
void InterruptHandled();

} // namespace sonarel
