#include "builder/uno/SpawnedProcess.h"

#include "core/AppError.h"
#include "core/FileNames.h"

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>

extern char** environ;

namespace {

// Pointers to the strings, ended by a null pointer, as exec wants its argv and envp.
std::vector<char*> nullTerminated(std::vector<QByteArray>& strings) {
    std::vector<char*> pointers;
    for (QByteArray& string : strings) {
        pointers.push_back(string.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

SpawnedProcess::SpawnedProcess(QStringList command) : m_command(std::move(command)) {}

void SpawnedProcess::setEnvironmentVariable(const QByteArray& name, const QByteArray& value) {
    m_environment.emplace_back(name, value);
}

pid_t SpawnedProcess::start(const QString& what, int errorNumber) const {
    std::vector<QByteArray> arguments;
    for (const QString& argument : m_command) {
        arguments.push_back(encodeFileName(argument));
    }
    // The caller's environment without the variables set here, which follow it.
    std::vector<QByteArray> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        bool replaced = false;
        for (const auto& [name, value] : m_environment) {
            replaced = replaced || std::strncmp(*entry, (name + '=').constData(),
                                                static_cast<size_t>(name.size()) + 1) == 0;
        }
        if (!replaced) {
            environment.emplace_back(*entry);
        }
    }
    for (const auto& [name, value] : m_environment) {
        environment.push_back(name + '=' + value);
    }
    std::vector<char*> argv = nullTerminated(arguments);
    std::vector<char*> envp = nullTerminated(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (m_input >= 0) {
        posix_spawn_file_actions_adddup2(&actions, m_input, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const QByteArray folder = encodeFileName(m_workingFolder);
    if (!m_workingFolder.isEmpty()) {
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);

    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        throw AppError(
            QStringLiteral("%1 could not be started: %2: %3")
                .arg(what, m_command.value(0), QString::fromLocal8Bit(std::strerror(error))),
            errorNumber);
    }
    return pid;
}
