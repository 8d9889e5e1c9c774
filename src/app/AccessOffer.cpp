#include "app/AccessOffer.h"

#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "common/Clock.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/AccessContent.h"
#include "data/AccessTakeOver.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString OfferTitle = QStringLiteral("Take Over Access File");
const QString ProgramEnds = QStringLiteral("\n\nThe program will now end.");

void print(std::FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stream);
}

} // namespace

bool AccessOffer::settle(const DatabaseLocation& location, const QString& codePage,
                         Messages& messages, const QDateTime& now,
                         const std::function<void(bool)>& working)
{
    if (!location.isFile() ||
        AccessFile::readHeader(location.filePath).kind == AccessFile::Kind::None)
        return true;
    QString failure;
    const auto content = AccessContent::read(location.filePath, codePage, &failure);
    if (!content) {
        messages.tell(Messages::Icon::Critical, ProgramTitle, failure + ProgramEnds);
        return false;
    }
    const QString question =
        content->description() +
        QStringLiteral("\n\nTake it over? A new database is made from its content, and the "
                       "Access file is kept unchanged beside it as \"%1-access-%2.mdb\". No ends "
                       "the program and leaves the file as it is.")
            .arg(QFileInfo(location.filePath).completeBaseName(),
                 now.date().toString(QStringLiteral("yyyy-MM-dd")));
    if (!messages.askYesNo(OfferTitle, question))
        return false;
    if (working)
        working(true);
    const AccessTakeOver::Outcome outcome = AccessTakeOver::run(*content, location, now);
    if (working)
        working(false);
    if (!outcome.failure.isEmpty()) {
        messages.tell(Messages::Icon::Critical, ProgramTitle, outcome.failure + ProgramEnds);
        return false;
    }
    messages.tell(Messages::Icon::Information, OfferTitle, outcome.summary);
    return true;
}

int AccessOffer::importAccess(const CommandLine& command)
{
    QString failure;
    const auto location = StartUp::databaseLocation(command, &failure);
    const QString source = QFileInfo(command.file).absoluteFilePath();
    if (location && !QFileInfo(source).isFile())
        failure =
            QStringLiteral("There is no Access file \"%1\".").arg(QDir::toNativeSeparators(source));
    const auto content = failure.isEmpty()
                             ? AccessContent::read(source, command.accessCodePage, &failure)
                             : std::nullopt;
    if (!content) {
        print(stderr, failure);
        return CommandLine::Failed;
    }
    const AccessTakeOver::Outcome outcome = AccessTakeOver::run(*content, *location, Clock::now());
    if (!outcome.failure.isEmpty()) {
        print(stderr, outcome.failure);
        return CommandLine::Failed;
    }
    print(stdout, outcome.summary);
    return CommandLine::Done;
}
