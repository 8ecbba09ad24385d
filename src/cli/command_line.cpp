#include "cli/command_line.h"

#include "cli/argument_text.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <string_view>

namespace namitra::cli {

namespace {

constexpr std::int64_t kMaxStartValue = std::numeric_limits<std::int32_t>::max();
constexpr int kMaxDigitCount = 16;

// The decimal value of `text` when it is digits only and within [low, high].
std::optional<std::int64_t> numberIn(std::string_view text, std::int64_t low, std::int64_t high) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// Walks the arguments once, keeping the settings that later steps take.
class Reader {
 public:
  // Paths are moved out of `arguments`.
  explicit Reader(std::vector<std::string>& arguments) : m_arguments(arguments) {}

  ParsedCommandLine read() {
    while (m_next < m_arguments.size() && m_error.empty() && !m_finished) readOne();
    if (m_error.empty() && !m_finished) checkCombinations();
    if (!m_error.empty()) return {std::nullopt, m_error};
    return {std::move(m_line), {}};
  }

 private:
  void readOne() {
    std::string& argument = m_arguments[m_next++];
    if (m_onlyPaths || argument == "-" || !argument.starts_with("-")) {
      addPath(argument);
      return;
    }
    if (argument == "--") {
      m_onlyPaths = true;
      return;
    }
    std::string_view name = argument;
    std::optional<std::string> attached;
    if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
      attached = std::string(name.substr(equals + 1));
      name = name.substr(0, equals);
    }
    readOption(name, attached);
  }

  void addPath(std::string& path) {
    if (path.empty()) {
      m_error = "an empty PATH cannot be a file";
      return;
    }
    if (m_line.paths.empty()) m_line.paths.reserve(m_arguments.size() - m_next + 1);
    m_line.paths.push_back(std::move(path));
  }

  void readOption(std::string_view name, const std::optional<std::string>& attached) {
    if (readSwitch(name)) {
      if (attached) m_error = "option " + std::string(name) + " takes no value";
      return;
    }
    if (name == "--replace") {
      if (attached) {
        m_error = "option --replace takes two arguments: SEARCH REPLACEMENT";
        return;
      }
      std::optional<std::string> search = value(name, attached);
      std::optional<std::string> replacement = search ? value(name, attached) : std::nullopt;
      if (replacement) addStep(StepKind::Replace, *search, *replacement);
      return;
    }
    if (!isValueOption(name)) {
      m_error = "unknown option " + inQuotes(name);
      return;
    }
    if (std::optional<std::string> given = value(name, attached)) readValueOption(name, *given);
  }

  bool readSwitch(std::string_view name) {
    if (name == "--help" || name == "-h") return finish(CommandKind::Help);
    if (name == "--version") return finish(CommandKind::Version);
    if (name == "--execute") return set(m_line.execute);
    if (name == "--overwrite") return set(m_line.overwrite);
    if (name == "--porcelain") return set(m_line.porcelain);
    if (name == "--match-case") return set(m_search.matchCase);
    if (name == "--whole-word") return set(m_search.wholeWord);
    if (name == "--fuzzy") return set(m_search.fuzzy);
    if (name == "--regexp") return set(m_search.regexp, true);
    if (name == "--literal") return set(m_search.regexp, false);
    return false;
  }

  static bool isValueOption(std::string_view name) {
    for (std::string_view known : {"--format", "--start", "--digits", "--rule", "--rules", "--names-from",
                                   "--journal", "--undo", "--recover", "--data-dir"}) {
      if (name == known) return true;
    }
    return false;
  }

  void readValueOption(std::string_view name, const std::string& given) {
    if (name == "--format") return addStep(StepKind::Format, given);
    if (name == "--rule") return addRule(given);
    if (name == "--rules") return addStep(StepKind::Rules, given);
    if (name == "--names-from") return addStep(StepKind::NamesFrom, given);
    if (name == "--start") return readNumber(name, given, 0, kMaxStartValue, m_startValue);
    if (name == "--digits") {
      std::int64_t digits = m_digitCount;
      readNumber(name, given, 1, kMaxDigitCount, digits);
      m_digitCount = static_cast<int>(digits);
      return;
    }
    if (name == "--journal") return setOnce(name, m_line.journal, given);
    if (name == "--data-dir") return setOnce(name, m_line.dataFolder, given);
    if (name == "--recover") return readRecovery(given);
    if (!setCommand(CommandKind::Undo)) return;
    setOnce(name, m_line.undoJournal, given);
  }

  void readRecovery(const std::string& given) {
    if (!setCommand(CommandKind::Recover)) return;
    if (given == "finish" || given == "rollback") {
      m_line.recovery = given == "finish" ? RecoveryChoice::Finish : RecoveryChoice::Rollback;
      return;
    }
    m_error = "--recover " + inQuotes(given) + " is neither finish nor rollback";
  }

  // --undo and --recover each make the command something else than a rename; only one may.
  bool setCommand(CommandKind kind) {
    if (m_line.kind == kind) {
      m_error = std::string("option ") + (kind == CommandKind::Undo ? "--undo" : "--recover") + " is given twice";
      return false;
    }
    if (m_line.kind != CommandKind::Rename) {
      m_error = "--undo and --recover cannot be combined";
      return false;
    }
    m_line.kind = kind;
    return true;
  }

  // The value of `name`: attached with "=", or else the next argument, whatever it looks like.
  std::optional<std::string> value(std::string_view name, const std::optional<std::string>& attached) {
    if (attached) return attached;
    if (m_next < m_arguments.size()) return m_arguments[m_next++];
    m_error = "option " + std::string(name) + " needs " +
              (name == "--replace" ? "two arguments: SEARCH REPLACEMENT" : "a value");
    return std::nullopt;
  }

  void addRule(const std::string& given) {
    const std::size_t equals = given.find('=');
    if (equals == std::string::npos || equals == 0) {
      m_error = "--rule " + inQuotes(given) + " is not KEY=VALUE with a KEY";
      return;
    }
    addStep(StepKind::Rule, given);
  }

  void addStep(StepKind kind, const std::string& first, const std::string& second = {}) {
    StepArguments step;
    step.kind = kind;
    step.first = first;
    step.second = second;
    step.startValue = m_startValue;
    step.digitCount = m_digitCount;
    step.search = m_search;
    m_line.steps.push_back(std::move(step));
  }

  void readNumber(std::string_view name, const std::string& given, std::int64_t low, std::int64_t high,
                  std::int64_t& into) {
    if (std::optional<std::int64_t> number = numberIn(given, low, high)) {
      into = *number;
      return;
    }
    m_error = std::string(name) + " " + inQuotes(given) + " is not a number from " + std::to_string(low) +
              " to " + std::to_string(high);
  }

  void setOnce(std::string_view name, std::optional<std::string>& into, const std::string& given) {
    if (into) {
      m_error = "option " + std::string(name) + " is given twice";
      return;
    }
    if (given.empty()) {
      m_error = "option " + std::string(name) + " needs a file name";
      return;
    }
    into = given;
  }

  static bool set(bool& flag, bool value = true) {
    flag = value;
    return true;
  }

  bool finish(CommandKind kind) {
    m_line = CommandLine{};
    m_line.kind = kind;
    m_finished = true;
    return true;
  }

  void checkCombinations() {
    if (m_line.kind == CommandKind::Undo || m_line.kind == CommandKind::Recover) {
      if (!m_line.paths.empty() || !m_line.steps.empty() || m_line.execute || m_line.overwrite ||
          m_line.porcelain || m_line.journal)
        m_error = std::string(m_line.kind == CommandKind::Undo ? "--undo" : "--recover") +
                  " takes no PATH, step or other option than --data-dir";
      return;
    }
    if (m_line.paths.empty()) {
      m_error = "no PATH given";
      return;
    }
    if (!m_line.execute && m_line.overwrite) m_error = "--overwrite needs --execute";
    if (!m_line.execute && m_line.journal) m_error = "--journal needs --execute";
  }

  std::vector<std::string>& m_arguments;
  std::size_t m_next = 0;
  bool m_onlyPaths = false;
  bool m_finished = false;
  std::string m_error;
  CommandLine m_line;
  std::int64_t m_startValue = 1;
  int m_digitCount = 1;
  SearchFlags m_search;
};

const char* optionOf(StepKind kind) {
  switch (kind) {
    case StepKind::Format: return "--format";
    case StepKind::Rule: return "--rule";
    case StepKind::Rules: return "--rules";
    case StepKind::Replace: return "--replace";
    case StepKind::NamesFrom: return "--names-from";
  }
  return "";
}

}  // namespace

std::string StepArguments::spelling() const {
  std::string text = std::string(optionOf(kind)) + " " + inQuotes(first);
  if (kind == StepKind::Replace) text += " " + inQuotes(second);
  return text;
}

ParsedCommandLine parseCommandLine(std::vector<std::string> arguments) {
  return Reader(arguments).read();
}

std::string helpText() {
  return R"(Usage: namitra-cli [OPTION | STEP]... [--] PATH...
       namitra-cli --undo FILE [--data-dir DIR]
       namitra-cli --recover finish|rollback [--data-dir DIR]
Rename files the way the Namitra window does: the PATHs become rows, the edit text starts as
their current names (one per line), each STEP rewrites that text in command-line order, and
line i becomes the planned name of row i. Without --execute the plan is shown.

Steps:
  --format EXPR           apply a format expression (%F_NAME%, %F_NAMEAA%, %F_NAMEaa%,
                          %F_EXT%, %F_EXTAA%, %F_EXTaa%, %NUM%)
  --rule KEY=VALUE        replace every KEY by VALUE (one batch-replace rule)
  --rules FILE            apply every rule of a rule file (.rl, Shift-JIS), in file order
  --replace SEARCH REPLACEMENT
                          search and replace all, with the search options given so far
  --names-from FILE       replace the whole text by the lines of FILE (UTF-8)

Settings for the steps that follow them:
  --start N               first running number of --format (0 to 2147483647; default 1)
  --digits N              minimum digits of the running number (1 to 16; default 1)
  --regexp                SEARCH is a regular expression (the default)
  --literal               SEARCH is plain text
  --match-case            upper and lower case differ
  --whole-word            a hit must be a whole word (plain text only)
  --fuzzy                 equivalent characters match each other (regular expressions only)

Running:
  --execute               rename the files (refuses empty and duplicate planned names, and
                          refuses to start while a run that was cut off awaits --recover)
  --overwrite             with --execute: replace existing files at planned names
  --journal FILE          with --execute: append each rename to FILE as a line
                          FROM<TAB>TO<TAB>DEV:INO<TAB>CRC (paths with \, tab, line breaks
                          escaped; the moved file's identity; a CRC-32 of the line)
  --undo FILE             reverse the renames recorded in FILE, newest first, and remove
                          the reversed lines from it; a line that is cut short or damaged is
                          ignored, and a file that is no longer the one a line names is
                          left where it is
  --recover finish|rollback
                          finish or roll back every run that was cut off (a crash, a kill,
                          a power cut), oldest first, and bring its journal in line with
                          the disk; prints FROM -> TO for each file it moved
  --porcelain             show the plan as CURRENT<TAB>PLANNED full paths, one per line
  --data-dir DIR          the data folder (ValidFileNameChar.rld, namitra.ini, NameCodes.tbl)
  -h, --help              show this help and exit
  --version               show the version and exit

Exit status: 0 when everything asked succeeded, 1 when some renames failed (or journal lines
were ignored, or a recovery left a file elsewhere than asked), 2 when the command refused to
start (bad arguments, line count mismatch, empty or duplicate names, a run awaiting --recover,
no run to recover).
)";
}

}  // namespace namitra::cli
