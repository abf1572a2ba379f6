#include "base/IniFile.h"

#include <windows.h>

#include "base/DecimalText.h"
#include "base/ErrorBox.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "resources/resource.h"

namespace {

// Settings files are small; a bigger file is not a settings file, and reading it would hold up
// the start. It reads as empty and is never written.
const LONGLONG kMaxIniFileSize = 16 * 1024 * 1024;

// CreateFileW reaches a path of MAX_PATH characters or more only in the "\\?\" form, which a
// full path without "." or ".." parts (the launcher's own) can take as it is.
std::wstring FilePath(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0 || !IsAbsolutePath(path)) return path;
    return L"\\\\?\\" + path;
}

enum class FileState { Missing, Read, Unreadable };

// The whole file in one read. Others may read, write, rename or replace it meanwhile (another
// launcher's write replaces the file and leaves this handle on the old one).
FileState ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(FilePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Missing : FileState::Unreadable;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxIniFileSize) return FileState::Unreadable;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        bytes.clear();
        return FileState::Unreadable;
    }
    bytes.resize(read);  // a file cut meanwhile
    return FileState::Read;
}

std::wstring Decode(const std::string& bytes, IniEncoding encoding) {
    switch (encoding) {
        case IniEncoding::Utf8: return DecodeUtf8(bytes);
        case IniEncoding::Utf16: return DecodeUtf16(bytes, false);
        case IniEncoding::Utf16BigEndian: return DecodeUtf16(bytes, true);
        case IniEncoding::Ansi: break;
    }
    return FromAnsi(bytes);
}

// An ANSI file that cannot hold the new text (a path outside its code page) becomes UTF-8 with a
// mark, which this launcher and every editor read; the profile functions would have lost the text.
std::string Encode(const std::wstring& text, IniEncoding encoding) {
    switch (encoding) {
        case IniEncoding::Utf8: return EncodeUtf8(text);
        case IniEncoding::Utf16: return EncodeUtf16(text, false);
        case IniEncoding::Utf16BigEndian: return EncodeUtf16(text, true);
        case IniEncoding::Ansi: break;
    }
    bool lossless = false;
    std::string bytes = ToAnsi(text, &lossless);
    return lossless ? bytes : EncodeUtf8(L"\xFEFF" + text);
}

const wchar_t* EncodingName(IniEncoding encoding) {
    switch (encoding) {
        case IniEncoding::Utf8: return L"UTF-8";
        case IniEncoding::Utf16: return L"UTF-16";
        case IniEncoding::Utf16BigEndian: return L"UTF-16 big-endian";
        case IniEncoding::Ansi: break;
    }
    return L"ANSI";
}

void TraceSnapshot(const IniSnapshot& snapshot, FileState state, size_t size, IniEncoding encoding) {
    if (state != FileState::Read) {
        TraceLine(L"ini: \"" + snapshot.path + (state == FileState::Missing ? L"\": no such file" : L"\": unreadable"));
        return;
    }
    TraceLine(L"ini: \"" + snapshot.path + L"\": " + DecimalText(static_cast<long long>(size)) + L" bytes, " +
              EncodingName(encoding));
    for (const IniText::Section& section : snapshot.text.Sections()) {
        for (const IniText::Entry& entry : section.entries) {
            TraceLine(L"ini:   [" + section.name + L"] " + entry.key + L" = \"" + entry.value + L"\"");
        }
    }
}

// A fresh file in the INI's folder for the new text: the INI's name with the process id and a
// number, so that two launchers writing at once never share one.
UniqueFile CreateTemporaryFile(const std::wstring& path, DWORD attributes, std::wstring& temporaryPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporaryPath = path + L"." + DecimalText(static_cast<long long>(GetCurrentProcessId())) + L"-" +
                        DecimalText(attempt) + L".tmp";
        UniqueFile file(CreateFileW(FilePath(temporaryPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                                    nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return UniqueFile();
}

enum class PutResult { Done, Failed, Raced };

// Puts the written temporary file in the INI's place. ReplaceFileW keeps the INI's attributes
// (hidden included), creation time and security; when it fails it leaves both files as they were,
// except that a failure to move the replacement may leave the INI under no name at all (then the
// temporary file takes the name). Raced: there was no INI when the text was made, and now there
// is one (another launcher wrote it meanwhile), whose values the text lacks.
PutResult PutInPlace(const std::wstring& path, const std::wstring& temporaryPath, bool replace) {
    const std::wstring target = FilePath(path);
    const std::wstring source = FilePath(temporaryPath);
    if (!replace) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return PutResult::Done;
        return GetLastError() == ERROR_ALREADY_EXISTS ? PutResult::Raced : PutResult::Failed;
    }
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                     nullptr, nullptr)) {
        return PutResult::Done;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return PutResult::Done;
        }
    }
    return PutResult::Failed;
}

PutResult WriteOnce(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value, IniWriteObserver observer) {
    std::string bytes;
    const FileState state = ReadWholeFile(path, bytes);
    if (state == FileState::Unreadable) return PutResult::Failed;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (state == FileState::Read) {
        attributes = GetFileAttributesW(FilePath(path).c_str());
        // Windows refuses to replace a read-only file (the caller must have write access to it);
        // the file stays as it is, and so it does wherever the refusal would not come.
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return PutResult::Failed;
        attributes &= FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    }
    // A new file is UTF-8 without a mark, so that a file of ASCII text is the same as an ANSI one.
    const IniEncoding encoding = state == FileState::Missing ? IniEncoding::Utf8 : DetectIniEncoding(bytes);
    const std::string written = Encode(SetIniTextValue(Decode(bytes, encoding), section, key, value), encoding);

    std::wstring temporaryPath;
    {
        UniqueFile file = CreateTemporaryFile(path, attributes, temporaryPath);
        if (!file) return PutResult::Failed;
        DWORD done = 0;
        const bool whole = WriteFile(file.get(), written.data(), static_cast<DWORD>(written.size()), &done, nullptr) &&
                           done == written.size() && FlushFileBuffers(file.get());
        if (!whole) {
            file.reset();
            DeleteFileW(FilePath(temporaryPath).c_str());
            return PutResult::Failed;
        }
    }
    if (observer != nullptr) observer(IniWriteStep::TemporaryWritten, temporaryPath);
    const PutResult result = PutInPlace(path, temporaryPath, state == FileState::Read);
    if (result != PutResult::Done) {
        DeleteFileW(FilePath(temporaryPath).c_str());
        return result;
    }
    if (observer != nullptr) observer(IniWriteStep::Replaced, temporaryPath);
    return PutResult::Done;
}

}  // namespace

IniSnapshot ReadIniSnapshot(const std::wstring& path) {
    IniSnapshot snapshot;
    snapshot.path = path;
    std::string bytes;
    const FileState state = ReadWholeFile(path, bytes);
    snapshot.exists = state != FileState::Missing;
    const IniEncoding encoding = DetectIniEncoding(bytes);
    if (state == FileState::Read) snapshot.text = IniText::Parse(Decode(bytes, encoding));
    if (TraceOn()) TraceSnapshot(snapshot, state, bytes.size(), encoding);
    return snapshot;
}

bool WriteIniValue(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, IniWriteObserver observer) {
    // A file that appeared while the text was made is read again, so that its values stay.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const PutResult result = WriteOnce(path, section, key, value, observer);
        if (result != PutResult::Raced) return result == PutResult::Done;
    }
    return false;
}

bool GetModulePath(std::wstring& path) {
    if (QueryModulePath(nullptr, path)) return true;
    const DWORD error = GetLastError();
    ShowFormattedError(IDS_WINDOWS_EXCEPTION, {ErrorArg::StringId(IDS_MODULE_PATH_FAILED), ErrorArg(static_cast<int>(error))});
    return false;
}

std::wstring GetAppDataFolder() {
    std::wstring value;
    QueryEnvironmentVariable(L"APPDATA", value);
    return value;
}

std::wstring MakeUserIniPath(const std::wstring& executablePath, const std::wstring& productName,
                             const std::wstring& productCode, bool createFolders) {
    const UserIniLocation location = MakeUserIniLocation(GetAppDataFolder(), productName, productCode, executablePath);
    if (createFolders) {
        CreateDirectoryW(location.productFolder.c_str(), nullptr);  // an existing folder is fine
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    }
    return location.path;
}
