#include "quizoptions.h"

bool isTimeLimitField(const QString& text)
{
    if (text.isEmpty() || text.size() > 2)
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return text.toInt() <= 59;
}
