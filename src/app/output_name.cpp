#include "app/output_name.h"

#include <filesystem>
#include <system_error>

namespace sonarel {

bool NamesOneFile(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

PathName ProposedOutputName(const PathName& folder, const PathName& input) {
    PathName output = folder;
    output.RemoveTrailingBackslash();
    const std::string folderText = output.Str();
    output.SetFolder(folderText);
    output.SetBaseName(input.GetBaseName());
    output.SetExtension("wav");
    if (NamesOneFile(input.Str(), output.Str())) {
        output.MakeUnique();
    }
    return output;
}

} // namespace sonarel
