// namitra-cli: the renaming pipeline of the Namitra window from the command line.
#include "cli/cli.h"
#include "cli/process_memory.h"

#include <iostream>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
  namitra::cli::prepareHeapForRows(static_cast<std::size_t>(argc));
  std::ios::sync_with_stdio(false);  // a plan of 100,000 rows is one large write
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return namitra::cli::runCli(std::move(arguments), std::cout, std::cerr);
}
