#include "core/codetemplate.h"

#include "core/safeaddress.h"

namespace Pinmark {

QString buildCode(CodeTemplate which, const QString &selected, const QString &linkTarget)
{
    const QString address = safeAddress(which, selected);
    const QString imgTag = QStringLiteral("<img style=\"border-style: solid;border-width: 0px\""
                                          " alt=\"\" src=\"") +
                           address + QStringLiteral("\"/></a>");
    const QString anchor =
        QStringLiteral("<a href=\"") + linkTarget + QStringLiteral("\" target=\"_blank\">");

    switch (which) {
    case CodeTemplate::DirectLink:
        return address;
    case CodeTemplate::ForumImage:
        return QStringLiteral("[url=") + linkTarget + QStringLiteral("][img]") + address +
               QStringLiteral("[/img][/url]");
    case CodeTemplate::ForumImageCentred:
        return QStringLiteral("[center][url=") + linkTarget + QStringLiteral("][img]") + address +
               QStringLiteral("[/img][/url][/center]");
    case CodeTemplate::HtmlImage:
        return anchor + imgTag;
    case CodeTemplate::HtmlImageCentred:
        return QStringLiteral("<div align=\"center\">") + anchor + imgTag +
               QStringLiteral("</div>");
    }
    return address;
}

} // namespace Pinmark
