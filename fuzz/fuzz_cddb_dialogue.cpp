// The CDDB conversation on any bytes a server might send: the bytes go through the line reader (in the
// encoding the conversation asks for) into the conversation; when it asks for a pick, the next input byte
// picks (255: none). Whatever comes, the commands stay single lines of printable ASCII, a failure says
// why, a success carries an entry that fits the disc, and nothing moves once the conversation has ended.
// The lines also go into the log the user reads: it keeps no more than its last lines, and no control
// character other than its line ends. 8-bit text gives one character a byte.

#include "FuzzSupport.h"
#include "core/cddb/CddbDialogue.h"
#include "core/cddb/CddbLineReader.h"
#include "core/cddb/CddbLog.h"

namespace {

bool isCommand(const QByteArray &command)
{
    if (command.isEmpty())
        return false;
    for (const char c : command) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DiscToc toc;
    toc.frameOffsets = {150, 18390, 35700, 52815};
    toc.leadout = 70000;
    CddbDialogue dialogue(toc, CddbDialogue::helloFromEmail(QStringLiteral("dj@example.org"),
                                                            QStringLiteral("Cratebook"), QStringLiteral("1.0")));
    CddbLineReader reader;
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    qsizetype picks = bytes.size(); // picks are read from the end of the input
    reader.append(bytes);
    FUZZ_CHECK(CddbLineReader::eightBitText(bytes).size() == bytes.size());
    CddbLog log;

    using Action = CddbDialogue::Action;
    bool ended = false;
    for (;;) {
        reader.setEncoding(dialogue.utf8() ? CddbLineReader::Encoding::Utf8 : CddbLineReader::Encoding::Latin1);
        QString line;
        if (reader.next(&line) != CddbLineReader::Status::Line)
            break;
        log.append(QString(line + QStringLiteral("\r\n")));
        FUZZ_CHECK(log.lineCount() <= CddbLog::kMaxLines);
        Action action = dialogue.receive(line);
        if (ended) {
            FUZZ_CHECK(action == Action::Wait);
            continue;
        }
        if (action == Action::Choose) {
            FUZZ_CHECK(!dialogue.matches().isEmpty());
            FUZZ_CHECK(dialogue.matchTexts().size() == dialogue.matches().size());
            const int pick = picks > 0 ? quint8(bytes.at(--picks)) : 0;
            action = dialogue.choose(pick == 255 ? -1 : pick);
            FUZZ_CHECK(action == Action::Send || action == Action::Failed);
        }
        switch (action) {
        case Action::Send:
        case Action::Succeeded:
            FUZZ_CHECK_SAYING(isCommand(dialogue.command()), dialogue.command());
            break;
        case Action::Failed:
            FUZZ_CHECK(dialogue.failure().kind != CddbDialogue::FailureKind::None);
            FUZZ_CHECK(dialogue.entry().isEmpty() || dialogue.step() == CddbDialogue::Step::Failed);
            ended = true;
            break;
        case Action::Done:
            FUZZ_CHECK(dialogue.entry().tracks.size() == toc.trackCount());
            ended = true;
            break;
        case Action::Wait:
        case Action::Choose:
            break;
        }
        if (action == Action::Succeeded)
            FUZZ_CHECK(dialogue.entry().tracks.size() == toc.trackCount() && dialogue.command() == "quit");
    }
    for (const QString &shown : log.text().split(QStringLiteral("\r\n"))) {
        for (const QChar c : shown)
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7F && (c.unicode() < 0x80 || c.unicode() > 0x9F));
    }
    return 0;
}
