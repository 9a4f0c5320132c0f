#include "console/traffic_box.h"

#include <QString>
#include <string_view>

#include "res/read_only_text_view.h"

namespace brenmoor::console {
namespace {

// Bytes as single-byte characters; a CR LF pair, or a CR alone, is one line break.
QString displayText(std::string_view bytes) {
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QChar* out = text.data();
    const QChar* in = out;
    const QChar* end = out + text.size();
    while (in != end) {
        if (*in == QLatin1Char('\r')) {
            *out++ = QLatin1Char('\n');
            if (++in != end && *in == QLatin1Char('\n')) ++in;
        } else {
            *out++ = *in++;
        }
    }
    text.truncate(out - text.constData());
    return text;
}

}  // namespace

void TrafficBox::show(const std::string& text) {
    std::string_view wanted = text;
    if (!wanted.empty() && wanted.back() == '\r') wanted.remove_suffix(1);
    if (wanted == shown_) return;

    if (wanted.size() > shown_.size() && wanted.substr(0, shown_.size()) == shown_)
        view_->append(displayText(wanted.substr(shown_.size())));
    else
        view_->setPlainText(displayText(wanted));
    shown_.assign(wanted);
    view_->showEnd();
}

}  // namespace brenmoor::console
