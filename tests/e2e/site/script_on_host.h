#pragma once

#include <QByteArray>

namespace kalvor::e2e {

// How a script of the site stands on the host: as published, with a line end
// after its "?>", as a site published before the end mark has it, both, saved
// by an editor that puts a byte-order mark before it, or followed by the
// banner a free host appends to every answer, to a site of now or of then.
enum class ScriptOnHost {
    AsPublished,
    OneMoreLineEnd,
    Earlier,
    EarlierOneMoreLineEnd,
    ByteOrderMark,
    Banner,
    EarlierBanner
};

// What a free host appends to every answer.
inline const QByteArray kHostBanner =
    "<!-- hebergeur gratuit -->\n<script src=\"https://pub.example/bandeau.js\"></script>";

inline bool isEarlier(ScriptOnHost how) {
    return how == ScriptOnHost::Earlier || how == ScriptOnHost::EarlierOneMoreLineEnd ||
           how == ScriptOnHost::EarlierBanner;
}

inline bool withBanner(ScriptOnHost how) {
    return how == ScriptOnHost::Banner || how == ScriptOnHost::EarlierBanner;
}

// The script's file as the host holds it, from its `published` and `earlier`
// texts; `banner`, what follows it in the file.
inline QByteArray onTheHost(ScriptOnHost how, const QByteArray& published,
                            const QByteArray& earlier, const QByteArray& banner = QByteArray()) {
    const bool lineEnd =
        how == ScriptOnHost::OneMoreLineEnd || how == ScriptOnHost::EarlierOneMoreLineEnd;
    return (how == ScriptOnHost::ByteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
           (isEarlier(how) ? earlier : published) + (lineEnd ? QByteArray("\r\n") : QByteArray()) +
           (withBanner(how) ? banner : QByteArray());
}

}  // namespace kalvor::e2e
