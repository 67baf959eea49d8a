#include "cli/batch_plan.h"

#include "app/output_name.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

namespace sonarel::cli {
namespace {

namespace fs = std::filesystem;

bool IsFolder(const std::string& name) {
    std::error_code error;
    return fs::is_directory(name, error);
}

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

bool EndsInSeparator(const std::string& name) {
    return !name.empty() && (name.back() == '/' || name.back() == kSeparator);
}

// A folder named as an output: an existing one, or a name ending in a separator, to be
// created.
bool NamesFolder(const std::string& name) {
    return EndsInSeparator(name) || IsFolder(name);
}

// With -output, every bare name is an input; without it the names are read as for one file:
// the input, then the output.
std::vector<std::string> Inputs(const ConsoleFlags& flags) {
    std::vector<std::string> inputs;
    if (!flags.inputSwitch.empty()) {
        inputs.push_back(flags.inputSwitch);
    }
    if (!flags.outputSwitch.empty()) {
        inputs.insert(inputs.end(), flags.names.begin(), flags.names.end());
    } else if (inputs.empty() && !flags.names.empty()) {
        inputs.push_back(flags.names.front());
    }
    return inputs;
}

std::string OutputFolder(const ConsoleFlags& flags) {
    if (!flags.outputSwitch.empty()) {
        return flags.outputSwitch;
    }
    const size_t output = flags.inputSwitch.empty() ? 1 : 0;
    return flags.names.size() > output ? flags.names[output] : std::string();
}

bool IsMp3Name(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mp3";
}

// The .mp3 files of a folder (and of its sub-folders when recursive), in name order, each
// with the folder it lies in relative to the given one.
std::vector<std::pair<fs::path, fs::path>> FolderFiles(const fs::path& folder, bool recursive) {
    std::vector<std::pair<fs::path, fs::path>> found;
    auto take = [&](const fs::directory_entry& entry) {
        std::error_code error;
        if (entry.is_regular_file(error) && IsMp3Name(entry.path())) {
            found.emplace_back(entry.path(), entry.path().parent_path().lexically_relative(folder));
        }
    };
    std::error_code error;
    const auto options = fs::directory_options::skip_permission_denied;
    if (recursive) {
        for (const auto& entry : fs::recursive_directory_iterator(folder, options, error)) {
            take(entry);
        }
    } else {
        for (const auto& entry : fs::directory_iterator(folder, options, error)) {
            take(entry);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

BatchFile PlanFile(const fs::path& input, const fs::path& outputFolder) {
    BatchFile file;
    file.input = input.string();
    file.outputFolder = outputFolder.lexically_normal().string();
    if (!EndsInSeparator(file.outputFolder)) {
        file.outputFolder += kSeparator; // a folder part, so that the name stays as written
    }
    file.output = ProposedOutputName(PathName(file.outputFolder), PathName(file.input)).Str();
    std::error_code error;
    const uintmax_t bytes = fs::file_size(input, error);
    file.inputBytes = error ? 0 : bytes;
    return file;
}

// Two inputs of one output name: the later one is not converted, so neither output is lost.
void RefuseSharedOutputs(std::vector<BatchFile>& files) {
    std::map<std::string, const BatchFile*> taken;
    for (BatchFile& file : files) {
        auto [first, added] = taken.emplace(file.output, &file);
        if (!added) {
            file.refusal = file.output + " is already the output of " + first->second->input;
        }
    }
}

} // namespace

bool WantsBatch(const ConsoleFlags& flags) {
    const std::vector<std::string> inputs = Inputs(flags);
    if (flags.recursive || flags.jobs > 0 || std::any_of(inputs.begin(), inputs.end(), IsFolder)) {
        return true;
    }
    // Two names of which the second is no .mp3 file keep their meaning of INPUT and OUTPUT
    // (-output=wav/ a.mp3 b.wav writes b.wav, as it always did).
    const bool inputAndOutput = inputs.size() == 2 && !IsMp3Name(inputs[1]);
    return inputs.size() > 1 && !inputAndOutput && NamesFolder(OutputFolder(flags));
}

BatchPlan PlanBatch(const ConsoleFlags& flags) {
    BatchPlan plan;
    const std::string output = OutputFolder(flags);
    if (!NamesFolder(output)) {
        plan.usageError = "several files, a folder, -recursive and -jobs need -output=FOLDER/";
        return plan;
    }
    if (flags.play) {
        plan.usageError = "-play takes one file";
        return plan;
    }
    const fs::path outputFolder(output);
    for (const std::string& input : Inputs(flags)) {
        if (!IsFolder(input)) {
            plan.files.push_back(PlanFile(input, outputFolder));
            continue;
        }
        for (const auto& [file, relative] : FolderFiles(input, flags.recursive)) {
            plan.files.push_back(PlanFile(file, outputFolder / relative));
        }
    }
    RefuseSharedOutputs(plan.files);
    return plan;
}

} // namespace sonarel::cli
