#pragma once
// A file written beside its target that takes the target's place only once it
// is complete: until Commit() the target stays as it was, and a replacement
// that is dropped is deleted.

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class ReplacementFile {
public:
    // Checks that `target` can be replaced (it is not a folder and no program
    // holds it open, its folder can be written), then creates the new file,
    // opened for this process alone. Throws EFCreateError
    // "Cannot create file "<target>". <system text>".
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Appends bytes; throws EWriteError when they do not all fit.
    void Write(std::string_view bytes);
    // Flushes the new file to disk and puts it in the target's place.
    void Commit();

    const std::string& TemporaryPath() const { return temporary_; }

private:
    struct Handle;
    std::string target_;
    std::string temporary_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace platform
