// The system's own texts, as the code page 932 bytes the hosts expect.
// They are defined in texts.cpp, which is compiled with -fexec-charset=CP932.
#pragma once

namespace texts {

// Library errors stored in CRovaDocument::m_strError.
extern const char kNotRova2[];            // このファイルはROVA2形式ではありません。
extern const char kUnsupportedCompression[];   // この圧縮モードには対応していません。
extern const char kZlibInitFailed[];      // Zライブラリの初期化に失敗しました。
extern const char kInflateFailed[];       // 圧縮データ展開中にエラーが発生しました。
extern const char kUnknownError[];        // 原因不明のエラーが発生しました。

// Message boxes of the library.
extern const char kNewerVersionWarning[];
extern const char kUnsupportedBitDepth[];   // rova2data : 対応していないビット数です

// Description string 3 of the plug-in.
extern const char kPluginFileType[];      // ROVA/ROVA2ファイル

}  // namespace texts
