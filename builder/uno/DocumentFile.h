#pragma once

#include <QString>

#include <cstddef>

// A new file that receives a stored document's bytes from the program, not from the office:
// the office stores into a pipe of its own, and the program copies the pipe into this file.
// The office then never touches the folder, and never calls back into the program: an office
// that stops answering in the middle of storing, and goes on once the program has given up,
// finishes into its own pipe and writes nothing here, no lock or scratch file of its own, and
// a name that is not UTF-8 reaches the disk as its very bytes.
class DocumentFile {
public:
    // Creates the file, which must not exist. Made to replace the file `replacing`, when that
    // exists, it takes that file's mode bits, and its owner and group as far as the process
    // may give them, before any byte is in it; otherwise its mode is 0666 less the umask.
    // Throws AppError when it cannot be made.
    explicit DocumentFile(QString path, const QString& replacing = {});
    ~DocumentFile();
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;

    // Throws AppError in the system's words ("No space left on device") when a write fails.
    void write(const void* bytes, std::size_t size);
    // Puts the written bytes on the disk and closes the file. Throws AppError when the bytes
    // cannot be kept.
    void finish();

private:
    [[noreturn]] void fail(int error) const;

    const QString m_path;
    int m_fd = -1;
};
