#include "widgets/picturebuttonaccessible.h"

#include "widgets/picturebutton.h"

namespace Pinmark {

PictureButtonAccessible::PictureButtonAccessible(PictureButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

QStringList PictureButtonAccessible::actionNames() const
{
    return {pressAction()};
}

void PictureButtonAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        static_cast<PictureButton *>(widget())->activate();
}

QStringList PictureButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Space")};
    return {};
}

void PictureButtonAccessible::install()
{
    QAccessible::installFactory(
        [](const QString &className, QObject *object) -> QAccessibleInterface * {
            if (className == QLatin1String(PictureButton::staticMetaObject.className()) && object &&
                object->isWidgetType())
                return new PictureButtonAccessible(static_cast<PictureButton *>(object));
            return nullptr;
        });
}

} // namespace Pinmark
