// The English forms of the texts of tools/detectability/.
#include "english/catalogue.h"

std::span<const TextPair> detectability_texts() {
    static const TextPair rows[] = {
        {"MTFとNPSから円板の検出能d'を求めるプログラム",
         "Program that finds the detectability d' of a disc from the MTF and the NPS"},
        {"MTF（transfer_curve の表かガウス関数）と NPS（noise_spectrum の NNPS 画像、再構成雑音の NPS 画像か表、白色雑音）から、"
         "円板の病変を見つける観察者 NPW、NPWE（眼のフィルタ付き）、NPWEi（さらに内部雑音付き）の検出能指数 d' を求めます。"
         "NPS は mm^2 単位に換算します：NNPS 画像は値×W×H×Δ^2（平均の2乗に対する相対値）、"
         "再構成雑音の NPS 画像と表は値×Δ^2/(W×H)、白色雑音は σ^2×Δ^2。"
         "MTF の表の i 行目は i/(2×データ数×ピクセル長) cycles/pixel です。"
         "眼のフィルタは E(f)=f^n×exp(-c×f^2)、f は視角1度あたりのサイクル数で、c=n/(2×ピーク^2)、ピークで1。"
         "画像の ρ cycles/mm は f=ρ×Δ/(拡大率×画素ピッチ)×観察距離×π/180 になります。"
         "内部雑音は白色で、α×（画像の周波数でのNPSの平均）です。"
         "d' は画像の持つ周波数（ナイキスト周波数まで）の和で求め、直径の表で d'=3 となる直径は、はさむ2つの直径の間の直線補間です。",
         "Finds the detectability index d' of a round lesion for the observers NPW, NPWE (with an eye filter) and "
         "NPWEi (with internal noise as well), from an MTF (a table of transfer_curve or a Gaussian) and an NPS "
         "(the NNPS image of noise_spectrum, an NPS image or table of reconstructed noise, or white noise). "
         "The NPS is converted to mm^2: NNPS image value x W x H x pixel^2 (relative to the mean squared); "
         "NPS image and table of reconstructed noise value x pixel^2/(W x H); white noise sigma^2 x pixel^2. "
         "Line i of the MTF table stands at i/(2 x lines x spacing) cycles/pixel. "
         "Eye filter E(f) = f^n x exp(-c x f^2), f in cycles per degree of visual angle, c = n/(2 x peak^2), 1 at the peak; "
         "rho cycles/mm of the image reach the eye at f = rho x pixel/(zoom x display pitch) x viewing distance x pi/180. "
         "The internal noise is white: alpha x the mean of the NPS over the image's frequencies. "
         "d' sums over the frequencies the image holds (up to the Nyquist frequency); the diameter where d' = 3 is "
         "interpolated linearly between the two table diameters around it."},
        {" 1. MTFの種類（0:表 1:ガウス）", " 1. Kind of MTF (0: table, 1: Gaussian)"},
        {" 2. MTFの表のファイル名", " 2. MTF table file name"},
        {" 3. MTFの表のピクセル長", " 3. Sample spacing of the MTF table (pixels)"},
        {" 4. ガウスMTFの標準偏差（mm）", " 4. Sigma of the Gaussian MTF (mm)"},
        {" 5. NPSの種類（0:NNPS画像 1:NPS画像 2:表 3:白色）", " 5. Kind of NPS (0: NNPS image, 1: NPS image, 2: table, 3: white)"},
        {" 6. NPSのファイル名", " 6. NPS file name"},
        {" 7. NPSの表の行番号（1以上）", " 7. Row of the NPS table (1 or more)"},
        {" 8. 白色雑音の標準偏差", " 8. Standard deviation of the white noise"},
        {" 9. 画像の幅", " 9. Image width"},
        {"10. 画像の高さ", "10. Image height"},
        {"11. 画素長（mm）", "11. Pixel size (mm)"},
        {"12. 円板の形（0:平坦 1:デザイナー 2:ぼけ）", "12. Shape of the disc (0: flat, 1: designer, 2: blurred)"},
        {"13. 円板の直径（mm）", "13. Diameter of the disc (mm)"},
        {"14. 円板のコントラスト", "14. Contrast of the disc"},
        {"15. デザイナー円板の指数n", "15. Exponent n of the designer disc"},
        {"16. 円板のぼけの標準偏差（mm）", "16. Sigma of the disc's blur (mm)"},
        {"17. 眼のフィルタの指数n", "17. Exponent n of the eye filter"},
        {"18. 眼のフィルタのピーク（cycles/度）", "18. Peak of the eye filter (cycles/degree)"},
        {"19. 観察距離（mm）", "19. Viewing distance (mm)"},
        {"20. 表示の画素ピッチ（mm）", "20. Display pixel pitch (mm)"},
        {"21. 表示の拡大率", "21. Display zoom (display pixels per image pixel)"},
        {"22. 内部雑音の係数α", "22. Internal noise factor alpha"},
        {"23. 表の最初の直径（mm）", "23. First diameter of the table (mm)"},
        {"24. 表の直径の間隔（mm）", "24. Diameter step of the table (mm)"},
        {"25. 表の直径の数", "25. Number of diameters in the table"},
        {"26. d'の表のファイル名", "26. d' table file name"},
        {"27. 直径ごとのd'の表のファイル名", "27. File name of the table of d' over diameters"},
        {"28. 被積分関数の表のファイル名", "28. File name of the integrand table"},
        {" エラー：%sは正の値にしてください[%f].\n", " error: the %s must be positive [%f].\n"},
        {" エラー：%sは0以上にしてください[%f].\n", " error: the %s must be 0 or more [%f].\n"},
        {" エラー：%sは%dから%dまでにしてください[%d].\n", " error: the %s must be from %d to %d [%d].\n"},
        {" エラー：%sは0から5までにしてください[%f].\n", " error: the %s must be from 0 to 5 [%f].\n"},
        {" エラー：%sが有限の数ではありません.\n", " error: the %s is not a finite number.\n"},
        {" エラー：画像の幅と高さは2以上の偶数にしてください[%d × %d].\n",
         " error: the image width and height must be even numbers of 2 or more [%d x %d].\n"},
        {" エラー：%s %f mm が画像の幅と高さ（%f mm）を超えます.\n",
         " error: the %s %f mm exceeds the image's width and height (%f mm).\n"},
        {" エラー：MTFの表ではありません[%s]（%s）.\n", " error: not an MTF table [%s] (%s).\n"},
        {" エラー：NPSの表ではありません[%s]（%s）.\n", " error: not an NPS table [%s] (%s).\n"},
        {" エラー：NNPS画像ではありません[%s]（%s）.\n", " error: not an NNPS image [%s] (%s).\n"},
        {" エラー：NPS画像ではありません[%s]（%s）.\n", " error: not an NPS image [%s] (%s).\n"},
        {" エラー：NPSの表の行番号は1から%dまでにしてください[%d].\n", " error: the row of the NPS table must be from 1 to %d [%d].\n"},
        {" エラー：MTFの表が画像の周波数の範囲（%f cycles/pixel）まで届きません[%s]（最後の行 %f cycles/pixel）.\n",
         " error: the MTF table does not reach the image's frequencies (%f cycles/pixel) [%s] (last line %f cycles/pixel).\n"},
        {"MTFの種類", "kind of MTF"},
        {"NPSの種類", "kind of NPS"},
        {"円板の形", "shape of the disc"},
        {"MTFの表のピクセル長", "sample spacing of the MTF table"},
        {"ガウスMTFの標準偏差", "sigma of the Gaussian MTF"},
        {"白色雑音の標準偏差", "standard deviation of the white noise"},
        {"present_1.img, present_2.img …", "present_1.img, present_2.img ..."},
        {"absent_1.img, absent_2.img …", "absent_1.img, absent_2.img ..."},
        {"円板の直径", "diameter of the disc"},
        {"円板のコントラスト", "contrast of the disc"},
        {"デザイナー円板の指数n", "exponent n of the designer disc"},
        {"円板のぼけの標準偏差", "sigma of the disc's blur"},
        {"眼のフィルタの指数n", "exponent n of the eye filter"},
        {"眼のフィルタのピーク", "peak of the eye filter"},
        {"観察距離", "viewing distance"},
        {"表示の画素ピッチ", "display pixel pitch"},
        {"表示の拡大率", "display zoom"},
        {"内部雑音の係数α", "internal noise factor alpha"},
        {"表の最初の直径", "first diameter of the table"},
        {"表の直径の間隔", "diameter step of the table"},
        {"表の直径の数", "number of diameters in the table"},
        {"表の最後の直径", "last diameter of the table"},
        {"1行に1つの数の表ではありません", "not one number a line"},
        {"2行より少ない表です", "fewer than 2 lines"},
        {"有限でない値があります", "values that are not finite"},
        {"最初の値が1ではありません", "the first value is not 1"},
        {"見出しの「周波数」がありません", "no header of frequencies"},
        {"行の数の個数が見出しと違います", "the row has another number of cells than the header"},
        {"周波数が正の増加列ではありません", "the frequencies are not positive and increasing"},
        {"負か有限でない値があります", "values that are negative or not finite"},
        {"ゼロ周波数の値が1ではありません", "the zero-frequency value is not 1"},
        {"0から1の外の値があります", "values outside 0 to 1"},
        {"眼のフィルタ：E(f) = f^%f*exp(-%f*f^2)、ピーク %f cycles/度 = 画像の %f cycles/mm\n",
         "Eye filter: E(f) = f^%f*exp(-%f*f^2), peak %f cycles/degree = %f cycles/mm of the image\n"},
        {"NPS の平均 %e mm^2（画素の分散 %e）、内部雑音 %e mm^2\n",
         "Mean NPS %e mm^2 (pixel variance %e), internal noise %e mm^2\n"},
        {"観察者  d'（直径 %f mm）  d'=3 となる直径（mm）\n", "Observer  d' (diameter %f mm)  diameter where d' = 3 (mm)\n"},
        {"試行画像から観察者の検出能d'を求めるプログラム",
         "Program that finds the detectability d' of observers on image trials"},
        {"信号ありの画像 present_1.img … present_N.img と信号なしの画像 absent_1.img … absent_N.img（同じ大きさの float の raw 画像）から、"
         "画像の中心の円板を見つける観察者の検出能指数 d' を求めます。"
         "NPW のテンプレートは課題の円板そのもの（試行から推定しないので、テンプレートの雑音で d' が偏りません）で、"
         "円板は oval_draw と同じく画素を16×16に分けた点の平均です。"
         "CHO は5つのラゲール・ガウス チャネル（幅 a = 0.4×直径：平坦な円板のエネルギーを最もよく捉える幅）の出力に"
         "ホテリング観察者を使い、テンプレートは試行の平均差です。"
         "d' = (平均の差)/√(分散の平均)。95 パーセント信頼区間は試行のブートストラップ（信号あり・なしを別々に復元抽出）の"
         "2.5 パーセント点と 97.5 パーセント点です。",
         "Finds the detectability index d' of observers that look for a disc at the centre of the image, from the "
         "signal-present images present_1.img ... present_N.img and the signal-absent images absent_1.img ... "
         "absent_N.img (float raw images of one size). NPW's template is the task's disc itself (not estimated from "
         "the trials, so the template's noise cannot bias d'), the disc being the mean over 16 x 16 points of each "
         "pixel as oval_draw draws it. CHO is the Hotelling observer on the outputs of 5 Laguerre-Gauss channels "
         "(width a = 0.4 x diameter: the width that best holds a flat disc's energy), its template the trials' mean "
         "difference. d' = (difference of the means)/sqrt(mean of the variances). The 95 percent interval holds the "
         "2.5 and 97.5 percent points of a bootstrap over the trials (present and absent drawn with replacement apart)."},
        {"信号ありの試行画像", "signal-present trial images"},
        {"信号なしの試行画像", "signal-absent trial images"},
        {" 1. 試行の数（信号あり・なし各）", " 1. Number of trials (each of present and absent)"},
        {" 4. 画素長（mm）", " 4. Pixel size (mm)"},
        {" 5. 円板の形（0:平坦 1:デザイナー 2:ぼけ）", " 5. Shape of the disc (0: flat, 1: designer, 2: blurred)"},
        {" 6. 円板の直径（mm）", " 6. Diameter of the disc (mm)"},
        {" 7. デザイナー円板の指数n", " 7. Exponent n of the designer disc"},
        {" 8. 円板のぼけの標準偏差（mm）", " 8. Sigma of the disc's blur (mm)"},
        {" 9. ブートストラップの回数", " 9. Number of bootstrap resamples"},
        {"10. 乱数のパターン番号（1以上）", "10. Random pattern number (1 or more)"},
        {"11. d'の表のファイル名", "11. d' table file name"},
        {" エラー：画像の幅と高さは2以上にしてください[%d × %d].\n",
         " error: the image width and height must be 2 or more [%d x %d].\n"},
        {" エラー：画像の幅 × 高さが大きすぎます[%d × %d].\n", " error: the image width x height is too large [%d x %d].\n"},
        {" エラー：%s %f mm の円板が画素にかかりません.\n", " error: the disc of %s %f mm covers no pixel.\n"},
        {" エラー：%sが試行ごとに変わらないので d' が求まりません.\n",
         " error: the %s do not vary from trial to trial, so d' has no value.\n"},
        {" エラー：試行の画像の大きさが違います[%s]（%lld バイト、幅×高さ×4 = %lld バイトのはず）.\n",
         " error: a trial image of another size [%s] (%lld bytes, width x height x 4 = %lld bytes expected).\n"},
        {" エラー：試行の画像に有限でない値があります[%s].\n", " error: a trial image with values that are not finite [%s].\n"},
        {"試行の数", "number of trials"},
        {"ブートストラップの回数", "number of bootstrap resamples"},
        {"乱数のパターン番号", "random pattern number"},
        {"試行の画像", "trial images"},
        {"試行 %d 組、テンプレートの円板 Σw^2 = %f、チャネルの幅 a = %f mm\n",
         "%d trial pairs, template disc sum w^2 = %f, channel width a = %f mm\n"},
        {"CHO の d' には信号あり・なしとも %d 組より多い試行が要ります\n",
         "CHO's d' needs more than %d trials of each kind\n"},
        {"試行から測った円板の高さ %e\n", "Height of the disc measured on the trials %e\n"},
        {"観察者  d'  95%%信頼区間（ブートストラップ %d 回）\n", "Observer  d'  95%% interval (bootstrap of %d resamples)\n"},
        {"観察者実験の試行画像を作るプログラム", "Program that makes the trial images of an observer study"},
        {"水の円板（半径は画像の幅の半分の0.8倍）の中心に円板の病変がある画像 present_1.img … present_N.img と、"
         "病変のない画像 absent_1.img … absent_N.img を作ります（observer_study の入力）。"
         "1枚ごとに oval_draw の円板を raysum_quanta で投影して光子の雑音を加え（投影の幅は画像の幅）、"
         "reconstruct で再構成した画像で、ファイルを順に渡したときと同じバイトになります。"
         "乱数の種は信号ありの k 枚目が（最初の種＋k−1）、信号なしの k 枚目が（最初の種＋100000＋k−1）です。",
         "Makes the images present_1.img ... present_N.img of a water disc (radius 0.8 of half the image width) with "
         "a round lesion at its centre, and absent_1.img ... absent_N.img without the lesion (the input of "
         "observer_study). Each is the disc of oval_draw projected by raysum_quanta through photon noise (as many bins "
         "as the image is wide) and reconstructed by reconstruct, with the very bytes the files passed from tool to "
         "tool would give. The seed of the k-th signal-present image is (first seed + k - 1), that of the k-th "
         "signal-absent image (first seed + 100000 + k - 1)."},
        {" 2. 画像の幅と高さ（投影の幅）", " 2. Image width and height (projection width)"},
        {" 3. 画素長 (cm/pixel)", " 3. Pixel length (cm/pixel)"},
        {" 4. 水の円板の減弱係数（1/cm）", " 4. Attenuation coefficient of the water disc (1/cm)"},
        {" 5. 病変の直径（mm）", " 5. Diameter of the lesion (mm)"},
        {" 6. 病変のコントラスト（減弱係数の差、1/cm）", " 6. Contrast of the lesion (difference of attenuation, 1/cm)"},
        {" 7. 入射光子数", " 7. Incident photons"},
        {" 8. 投影数", " 8. Number of projections"},
        {" 9. 最初の乱数の種（1以上）", " 9. First random seed (1 or more)"},
        {"画像の幅と高さ", "image width and height"},
        {"水の円板の減弱係数", "attenuation coefficient of the water disc"},
        {"病変の直径", "diameter of the lesion"},
        {"病変のコントラスト", "contrast of the lesion"},
        {"最初の乱数の種", "first random seed"},
        {" エラー：%sは -（水の円板の減弱係数）以上の有限の値にしてください[%f].\n",
         " error: the %s must be finite and at least -(attenuation coefficient of the water disc) [%f].\n"},
        {"試行 %d 組：%d × %d 画素（%f cm）、投影数 %d、入射光子数 %d、病変の直径 %f mm、コントラスト %f /cm\n",
         "%d trial pairs: %d x %d pixels (%f cm), %d projections, %d incident photons, lesion diameter %f mm, "
         "contrast %f /cm\n"},
    };
    return rows;
}
