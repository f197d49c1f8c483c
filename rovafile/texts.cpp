// Compiled with -fexec-charset=CP932: every literal here comes out of the
// module as code page 932 bytes. Keep all Japanese texts in this one file.
#include "texts.h"

namespace texts {

const char kNotRova2[] = "このファイルはROVA2形式ではありません。";
const char kUnsupportedCompression[] = "この圧縮モードには対応していません。";
const char kZlibInitFailed[] = "Zライブラリの初期化に失敗しました。";
const char kInflateFailed[] = "圧縮データ展開中にエラーが発生しました。";
const char kUnknownError[] = "原因不明のエラーが発生しました。";

const char kNewerVersionWarning[] =
    "ファイルバージョンが、現在のROVAよりも高いです。\n正確に読み込めない可能性があります。\n\n最新版のROVA2の使用をお勧めします。";
const char kUnsupportedBitDepth[] = "rova2data : 対応していないビット数です";

const char kPluginFileType[] = "ROVA/ROVA2ファイル";

}  // namespace texts
