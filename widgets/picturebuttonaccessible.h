#pragma once
#include <QAccessibleWidget>

namespace Pinmark {

class PictureButton;

// Presents a picture button to assistive technology as a push button that can be pressed.
class PictureButtonAccessible : public QAccessibleWidget
{
public:
    explicit PictureButtonAccessible(PictureButton *button);

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // Registers the factory; call once after the application object exists.
    static void install();
};

} // namespace Pinmark
