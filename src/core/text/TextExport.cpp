#include "TextExport.h"

#include "Cp1251.h"

namespace TextExport {

QByteArray content(const QStringList &captions, int rows, const std::function<QString(int, int)> &cell)
{
    QByteArray out;
    const auto line = [&out, &captions](const std::function<QString(int)> &field) {
        for (int c = 0; c < captions.size(); ++c) {
            if (c > 0)
                out += '\t';
            Cp1251::encodeAppend(field(c), out);
        }
        out += "\r\n";
    };
    line([&captions](int c) { return captions[c]; });
    for (int r = 0; r < rows; ++r)
        line([&cell, r](int c) { return cell(r, c); });
    return out;
}

QString withTxtExtension(const QString &path)
{
    if (path.right(4).compare(QLatin1String(".txt"), Qt::CaseInsensitive) == 0)
        return path;
    return path + QStringLiteral(".txt");
}

} // namespace TextExport
