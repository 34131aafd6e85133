// Instructions counted by valgrind's callgrind: a figure that the machine's load does not
// move, unlike time.
#pragma once

#include <string>
#include <vector>

// Runs this program again under callgrind with `arguments`, collecting only inside functions
// whose names contain `function`, and returns the instructions collected; -1 when valgrind
// cannot be run (it exists on Linux only) or the run fails.
double instructionsUnderCallgrind(const std::string& function, const std::vector<std::string>& arguments);
