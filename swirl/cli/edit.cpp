// swirl edit FILE: the data file edited as UTF-8 text in the user's editor,
// converted back to code page 866 with CR LF line ends and written only when
// its input section reads with the program's rules.
//
// The copy lives in a private scratch directory under the file's own base
// name.  When the text cannot be converted or does not read, the user edits
// again or keeps FILE as it was (end of input keeps it); FILE is replaced
// atomically (fixrec::replace_file) or not at all.  Exit codes: 0 written or
// nothing changed; 1 the editor failed, FILE changed meanwhile, or it cannot
// be written; 2 FILE cannot be read, or it was kept after a text that does
// not read.  Whenever FILE stays as it was and the copy holds changes, the
// copy is kept and named.  --from COPY takes up such a kept copy: the editor
// starts on its text instead of FILE's.
//
// A text whose labels no longer match their lines (a line inserted or
// removed) is refused like one that does not read; what else a hand edit
// may have done (a field without a decimal point, a leftover of an old
// value, a value its report cannot print) is told on standard error once
// FILE is written.  A UTF-8 FILE is not opened: it is converted first.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "data_files.h"
#include "fixrec/posix.h"
#include "swirl/api/values.h"

namespace swirl {

namespace {

namespace fs = std::filesystem;

// $VISUAL, else $EDITOR, else vi: a shell command, as other tools take it.
std::string editor_command() {
    for (const char* name : {"VISUAL", "EDITOR"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    return "vi";
}

// Runs the editor on `path` and waits for it.  Meanwhile this process
// ignores the interrupts of the terminal, which belong to the editor.
// Empty when the editor ended with exit code 0; else what happened.
std::string run_editor(const std::string& command, const std::string& path) {
    std::cout.flush();
    std::cerr.flush();
    int status = 0;
    if (const int err = fixrec::posix::run_shell(command + " \"$@\"", command, path, status))
        return std::string("cannot start it: ") + std::strerror(err);
    if (WIFSIGNALED(status)) return "ended by signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) == 127) return "cannot be started (exit code 127)";
    if (WEXITSTATUS(status) != 0) return "exit code " + std::to_string(WEXITSTATUS(status));
    return {};
}

std::optional<std::string> read_whole(const fs::path& path) {
    std::string bytes;
    if (read_whole_file(path.string(), bytes) != 0) return std::nullopt;
    return bytes;
}

// A private scratch directory holding the copy; removed at the end unless
// the copy is to be kept.
class Scratch {
public:
    explicit Scratch(const std::string& base_name) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/swirl-edit.XXXXXX";
        if (const int err = fixrec::posix::make_temp_dir(pattern.data()))
            throw CommandFailure(kExitNotWritten, "cannot make a scratch directory for the copy (" + pattern +
                                                      "): " + std::strerror(err));
        dir_ = pattern;
        copy_ = dir_ / base_name;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!keep_) fs::remove_all(dir_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const fs::path& copy() const { return copy_; }
    void write(const std::string& text) const {
        namespace posix = fixrec::posix;
        const int fd = posix::open(copy_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
        const bool written = fd >= 0 && posix::write_all(fd, text.data(), text.size()) == 0;
        if (fd < 0 || posix::close(fd) != 0 || !written)
            throw CommandFailure(kExitNotWritten, "cannot write the copy " + copy_.string());
    }
    // Keeps the copy when it differs from `original`: the text for a
    // message, with the command that takes the copy up again.
    std::string keep_if_changed(const std::string& original, const std::string& path) {
        const std::optional<std::string> now = read_whole(copy_);
        if (!now || *now == original) return {};
        keep_ = true;
        return "; your edited copy is kept in " + copy_.string() + " (swirl edit " + path + " --from " +
               copy_.string() + " takes it up)";
    }

private:
    fs::path dir_;
    fs::path copy_;
    bool keep_ = false;
};

enum class Choice { EditAgain, Keep };

// Asks on standard error and reads the answer from standard input; the end
// of input keeps the file.
Choice ask(const std::string& path) {
    for (;;) {
        std::cerr << "[e]dit again or [k]eep " << path << " as it was? " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            std::cerr << '\n';
            return Choice::Keep;
        }
        const std::size_t first = answer.find_first_not_of(" \t\r");
        const char c = first == std::string::npos ? '\0' : answer[first];
        if (c == 'e' || c == 'E') return Choice::EditAgain;
        if (c == 'k' || c == 'K') return Choice::Keep;
    }
}

// "Q: .10000E-02 -> .20000E-02" for each input that reads another value
// than before (every input when the file did not read before), as the
// report prints it: what the program will compute with.  A comma ends a
// field where it stands, so a value typed with a decimal comma reads as
// something else; the line says so.
std::string changed_values(const Calculator& calc, std::string_view before, std::string_view after) {
    std::vector<Value> old_values(calc.inputs.size()), new_values(calc.inputs.size());
    calculators::ReadFailure failure;
    const bool did_read = calc.read(before, old_values, failure);
    if (!calc.read(after, new_values, failure)) return {};
    std::string out;
    for (std::size_t k = 0; k < calc.inputs.size(); ++k) {
        const Field& f = calc.inputs[k];
        const std::string now = printed(f, new_values[k]);
        const std::string was = did_read ? printed(f, old_values[k]) : std::string();
        if (did_read && now == was && field_text(before, f) == field_text(after, f)) continue;
        out += std::string(f.name) + ": " + (did_read ? was + " -> " : std::string()) + now;
        if (field_text(after, f).find(',') != std::string::npos) out += " (a comma ends the field there)";
        out += '\n';
    }
    return out;
}

int edit(const std::string& path, const std::optional<std::string>& program, const std::optional<std::string>& from) {
    const DataFile file = open_data_file(path, program);
    for (const Finding& f : file.findings)
        if (f.kind == FindingKind::Utf8) throw CommandFailure(kExitUnreadable, path + ": " + f.message);
    const std::string original_text = text_for_editing(file.bytes);
    std::string start_text = original_text;
    if (from) {
        std::string kept;
        if (const int err = read_whole_file(*from, kept); err != 0)
            throw CommandFailure(kExitUnreadable, "cannot read the copy " + *from + ": " + std::strerror(err));
        start_text = std::move(kept);
    }
    Scratch scratch(fs::path(path).filename().string());
    scratch.write(start_text);
    const std::string editor = editor_command();
    for (;;) {
        if (const std::string failure = run_editor(editor, scratch.copy().string()); !failure.empty())
            throw CommandFailure(kExitNotWritten, "the editor (" + editor + ") failed: " + failure + "; " + path +
                                                      " is as it was" + scratch.keep_if_changed(original_text, path));
        const std::optional<std::string> text = read_whole(scratch.copy());
        if (!text)
            throw CommandFailure(kExitNotWritten, "the edited copy " + scratch.copy().string() +
                                                      " cannot be read; " + path + " is as it was");
        if (*text == original_text) {
            std::cout << path << ": no change\n";
            return kExitOk;
        }
        const EditedFile edited = data_file_from_text(*file.calc, *text, path);
        if (!edited.refusal.empty()) {
            std::cerr << "swirl: " << path << ": " << edited.refusal << '\n';
            if (ask(path) == Choice::EditAgain) continue;
            throw CommandFailure(kExitUnreadable,
                                 path + " is as it was" + scratch.keep_if_changed(original_text, path));
        }
        if (edited.bytes == file.bytes) {
            std::cout << path << ": no change\n";
            return kExitOk;
        }
        // Another program may have rewritten FILE while it was being edited:
        // its new content is not written over.
        if (read_whole(path) != file.bytes)
            throw CommandFailure(kExitNotWritten, path + " changed while it was being edited; nothing written" +
                                                      scratch.keep_if_changed(original_text, path));
        try {
            write_back(file, edited.bytes);
        } catch (const Failure& e) {
            throw Failure(e.code(), e.what() + scratch.keep_if_changed(original_text, path));
        }
        std::cout << changed_values(*file.calc, file.bytes, edited.bytes) << path << ": written\n";
        std::cout.flush();
        warn(path, edited.findings);
        return kExitOk;
    }
}

}  // namespace

void add_edit(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::optional<std::string> program;
        std::optional<std::string> from;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "edit",
        "Edit FILE as UTF-8 text in $VISUAL, $EDITOR or vi.\n"
        "FILE is written back (code page 866, CR LF) only when its input section reads.\n"
        "Examples:\n"
        "  swirl edit BILM.DAT\n"
        "  EDITOR=nano swirl edit BILM.DAT");
    cmd->add_option("FILE", o->file, "the data file")->required();
    add_program_option(*cmd, o->program);
    cmd->add_option("--from", o->from,
                    "start on the text of COPY (a copy an earlier edit kept) instead of FILE's; FILE is written "
                    "when it reads")
        ->type_name("COPY");
    cmd->callback([&action, o] {
        action = [o] { return edit(o->file, o->program, o->from); };
    });
}

}  // namespace swirl
