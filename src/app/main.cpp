// dovrane-storage-analyzer: shows where the storage below a device root goes.

#include <QCoreApplication>
#include <cstdio>

#include "app/cli.h"
#include "platform/profile.h"

namespace {

void Print(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const dovrane::platform::Profile profile;
    const dovrane::app::CliResult result = dovrane::app::RunCommandLine(arguments, profile);
    Print(stdout, result.out);
    Print(stderr, result.err);
    return result.exitCode;
}
