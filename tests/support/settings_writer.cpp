// Writes "<prefix><n>" = n for n in [0, count) into a settings file, one write per key, as a second
// program sharing the domain would.
#include "platform/SettingsDomain.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    SettingsDomain domain(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QByteArray(argv[3]).toInt();
    for (int n = 0; n < count; ++n) {
        if (!domain.setText(prefix + QString::number(n), QString::number(n)))
            return 1;
    }
    return 0;
}
