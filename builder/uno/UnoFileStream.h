#pragma once

#include <com/sun/star/io/XOutputStream.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <QString>

#include <optional>

// A new file that the office writes a document into through the connection, byte by byte,
// instead of writing it to disk itself. The office then never touches the folder: an office
// that stops answering in the middle of storing, and goes on once the program has given up,
// can write nothing there any more (the connection is gone), no lock or scratch file of
// its own, and a name that is not UTF-8 reaches the disk as its very bytes.
class FileOutputStream : public cppu::WeakImplHelper1<css::io::XOutputStream> {
public:
    // Creates the file, which must not exist. Throws AppError when it cannot be made.
    static rtl::Reference<FileOutputStream> create(const QString& path);
    ~FileOutputStream() override;

    void SAL_CALL writeBytes(const css::uno::Sequence<sal_Int8>& bytes) override;
    void SAL_CALL flush() override {}
    void SAL_CALL closeOutput() override {}

    // Throws the write's own failure as AppError, if a write failed; returns otherwise.
    void throwWriteFailure() const;
    // Puts the written bytes on the disk and closes the file. Throws AppError when a write
    // failed or the bytes cannot be kept.
    void finish();

private:
    FileOutputStream(int fd, QString path);
    void fail(int error);

    int m_fd;
    const QString m_path;
    std::optional<QString> m_failure;
};
