#include "TeamTexts.h"

#include "localisation/Messages.h"

namespace kestrel {

QString TeamProblemText(TeamProblem problem, const QString& serverName, const QString& detail) {
    // In the order of TeamProblem, None first.
    static constexpr int kTexts[] = {0,
                                     text::kTeamUnreachable,
                                     text::kTeamLoginRefused,
                                     text::kTeamTlsRequired,
                                     text::kTeamSchemaOutOfDate,
                                     text::kTeamSchemaNewer,
                                     text::kTeamRefused};
    if (problem == TeamProblem::None)
        return QString();
    QString text = Msg(kTexts[static_cast<int>(problem)]);
    // A language database without the row still names the server and the cause.
    if (!text.contains(QStringLiteral("%1")))
        text = QStringLiteral("The team journal server %1 could not be used: %2");
    // libpq says its causes on lines of their own: one line, sentences kept apart.
    QString said;
    for (const QString& line : detail.split(u'\n', Qt::SkipEmptyParts)) {
        const QString part = line.simplified();
        if (part.isEmpty())
            continue;
        if (!said.isEmpty()) {
            const bool closed = QStringLiteral(".?!:;").contains(said.back());
            said += closed ? QStringLiteral(" ") : QStringLiteral(". ");
        }
        said += part;
    }
    if (said.endsWith(u'.'))  // the texts close the sentence themselves
        said.chop(1);
    return text.contains(QStringLiteral("%2")) ? text.arg(serverName, said) : text.arg(serverName);
}

}  // namespace kestrel
