#include "recovery/recovery_reply.h"

#include "platform/error.h"
#include "platform/site_replies.h"

namespace kalvor::recovery {
using replies::kFieldSeparator;
using replies::kRowEnd;

RecoveryReply::RecoveryReply(const QString& reply, bool escaped)
    : reply_(escaped ? reply : reply.trimmed()), escaped_(escaped) {}

bool RecoveryReply::Next(QStringList& fields) {
    if (position_ >= reply_.size()) {
        return false;
    }
    const qint64 end = reply_.indexOf(kRowEnd, position_);
    if (end < 0) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("réponse du site incomplète : la ligne %1 n'a pas de fin "
                                   "(« %2 »)")
                        .arg(row_ + 1)
                        .arg(reply_.mid(position_, 80)));
    }
    ++row_;
    fields = reply_.mid(position_, end - position_).split(kFieldSeparator);
    if (escaped_) {
        for (QString& field : fields) {
            field = replies::Unescaped(field);
        }
    }
    position_ = end + kRowEnd.size();
    return true;
}

}  // namespace kalvor::recovery
