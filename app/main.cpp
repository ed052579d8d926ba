#include "configuration.h"
#include "formprincipal.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TFormPrincipal form(varnix::ConfigurationPath(QCoreApplication::applicationDirPath()));
    form.show();
    return app.exec();
}
