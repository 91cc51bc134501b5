<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>C5Sensor</name>
    <message>
        <source>Open device failed</source>
        <translation>打开设备失败</translation>
    </message>
</context>
<context>
    <name>CA210SensorCOM</name>
    <message>
        <source>Can&apos;t open</source>
        <translation>无法打开</translation>
    </message>
    <message>
        <source>Open Sensor Error!</source>
        <translation>打开传感器出错！</translation>
    </message>
</context>
<context>
    <name>CAvantes</name>
    <message>
        <source>Open AS5216.DLL failed</source>
        <translation>打开 AS5216.DLL 失败</translation>
    </message>
    <message>
        <source>Error dll file</source>
        <translation>DLL 文件错误</translation>
    </message>
    <message>
        <source>There&apos;s no device connected!</source>
        <translation>没有连接设备！</translation>
    </message>
    <message>
        <source>Invalid Handle</source>
        <translation>无效句柄</translation>
    </message>
    <message>
        <source>Cannot stop!</source>
        <translation>无法停止！</translation>
    </message>
</context>
<context>
    <name>CMonitor</name>
    <message>
        <source>Monitor</source>
        <translation>显示器</translation>
    </message>
    <message>
        <source>Can&apos;t open %1!</source>
        <translation>无法打开 %1！</translation>
    </message>
</context>
<context>
    <name>CRXXXCensor</name>
    <message>
        <source>Sensor Error!</source>
        <translation>传感器错误！</translation>
    </message>
    <message>
        <source>Can&apos;t open</source>
        <translation>无法打开</translation>
    </message>
    <message>
        <source>Open Sensor Error!</source>
        <translation>打开传感器出错！</translation>
    </message>
</context>
<context>
    <name>CS200Sensor</name>
    <message>
        <source>Open Sensor Error!</source>
        <translation>打开传感器出错！</translation>
    </message>
    <message>
        <source>Can not open %1</source>
        <translation>无法打开 %1</translation>
    </message>
    <message>
        <source>Error dll file</source>
        <translation>DLL 文件错误</translation>
    </message>
    <message>
        <source>Connect device failed</source>
        <translation>连接设备失败</translation>
    </message>
</context>
<context>
    <name>CSensor</name>
    <message>
        <source>Unknow sensor</source>
        <translation>未知传感器</translation>
    </message>
</context>
<context>
    <name>CalDialog</name>
    <message>
        <source>calibration</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>标准</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>快速</translation>
    </message>
    <message>
        <source>HDTV</source>
        <translation>HDTV</translation>
    </message>
    <message>
        <source>DCIP3</source>
        <translation>DCIP3</translation>
    </message>
    <message>
        <source>UHDTV</source>
        <translation>UHDTV</translation>
    </message>
    <message>
        <source>cube</source>
        <translation>cube</translation>
    </message>
    <message>
        <source>3dlut</source>
        <translation>3dlut</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Color Space</source>
        <translation>色彩空间</translation>
    </message>
    <message>
        <source>Lut Format</source>
        <translation>LUT 格式</translation>
    </message>
    <message>
        <source>Cube Size:</source>
        <translation>立方体尺寸：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CalculateDialog</name>
    <message>
        <source>XYZ</source>
        <translation>XYZ</translation>
    </message>
    <message>
        <source>xyY</source>
        <translation>xyY</translation>
    </message>
    <message>
        <source>u&apos;v&apos;Y</source>
        <translation>u&apos;v&apos;Y</translation>
    </message>
    <message>
        <source>Lab</source>
        <translation>Lab</translation>
    </message>
    <message>
        <source>RGB</source>
        <translation>RGB</translation>
    </message>
    <message>
        <source>Color Temp</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>Calcuate</source>
        <translation>计算</translation>
    </message>
</context>
<context>
    <name>CalibrateDialog</name>
    <message>
        <source>Sensor Calibration</source>
        <translation>传感器校准</translation>
    </message>
    <message>
        <source>Sensor value:</source>
        <translation>传感器测量值：</translation>
    </message>
    <message>
        <source>Reference value:</source>
        <translation>参考值：</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>White</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>颜色：</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Calibrate matrix:</source>
        <translation>校准矩阵：</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Invalid sensor value at %1 row %2col!</source>
        <translation>第 %1 行第 %2 列的传感器测量值无效！</translation>
    </message>
    <message>
        <source>Invalid reference value at %1 row %2col!</source>
        <translation>第 %1 行第 %2 列的参考值无效！</translation>
    </message>
    <message>
        <source>Invalid sensor value at 4 row %1col!</source>
        <translation>第 4 行第 %1 列的传感器测量值无效！</translation>
    </message>
    <message>
        <source>Invalid reference value at 4 row %1col!</source>
        <translation>第 4 行第 %1 列的参考值无效！</translation>
    </message>
    <message>
        <source>Invalid sensor reading!</source>
        <translation>传感器读数无效！</translation>
    </message>
    <message>
        <source>Abnormal sensor matrix!</source>
        <translation>传感器矩阵异常！</translation>
    </message>
    <message>
        <source>Abnormal matrix!</source>
        <translation>矩阵异常！</translation>
    </message>
    <message>
        <source>Abnormal sensor white!</source>
        <translation>传感器白色值异常！</translation>
    </message>
    <message>
        <source>Abnormal reference white!</source>
        <translation>参考白色值异常！</translation>
    </message>
    <message>
        <source>The sensor values of red, green and blue barely differ. Is the sensor on the colour patch?</source>
        <translation>红、绿、蓝的传感器测量值几乎没有差别。传感器是否对准了色块？</translation>
    </message>
</context>
<context>
    <name>CalibrateMonitor</name>
    <message>
        <source>The LUT file %1 could not be written.</source>
        <translation>无法写入 LUT 文件 %1。</translation>
    </message>
</context>
<context>
    <name>CctWindow</name>
    <message>
        <source>CCT</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>ChkGamut</name>
    <message>
        <source>White</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>Dark Skin</source>
        <translation>深肤色</translation>
    </message>
    <message>
        <source>Light Skin</source>
        <translation>浅肤色</translation>
    </message>
    <message>
        <source>Blue Sky</source>
        <translation>蓝天</translation>
    </message>
    <message>
        <source>Foliage</source>
        <translation>树叶</translation>
    </message>
    <message>
        <source>Blue Flower</source>
        <translation>蓝花</translation>
    </message>
    <message>
        <source>Bluish Green</source>
        <translation>蓝绿色</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>橙色</translation>
    </message>
    <message>
        <source>Purplish Blue</source>
        <translation>紫蓝色</translation>
    </message>
    <message>
        <source>Moderate Red</source>
        <translation>中度红</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>紫色</translation>
    </message>
    <message>
        <source>Yellow Green</source>
        <translation>黄绿色</translation>
    </message>
    <message>
        <source>Orange Yellow</source>
        <translation>橙黄色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Magenta</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>青色</translation>
    </message>
    <message>
        <source>DarkSkin</source>
        <translation>深肤色</translation>
    </message>
    <message>
        <source>LightSkin</source>
        <translation>浅肤色</translation>
    </message>
    <message>
        <source>GreyishRed</source>
        <translation>灰红色</translation>
    </message>
    <message>
        <source>YellowGreen</source>
        <translation>黄绿色</translation>
    </message>
    <message>
        <source>BluishGreen</source>
        <translation>蓝绿色</translation>
    </message>
    <message>
        <source>Violet</source>
        <translation>紫罗兰色</translation>
    </message>
    <message>
        <source>MediumRed</source>
        <translation>中红色</translation>
    </message>
    <message>
        <source>MediumGreen</source>
        <translation>中绿色</translation>
    </message>
    <message>
        <source>MediumBlue</source>
        <translation>中蓝色</translation>
    </message>
    <message>
        <source>DarkRed</source>
        <translation>深红色</translation>
    </message>
    <message>
        <source>DarkGreen</source>
        <translation>深绿色</translation>
    </message>
    <message>
        <source>DarkBlue</source>
        <translation>深蓝色</translation>
    </message>
    <message>
        <source>YellowRed</source>
        <translation>黄红色</translation>
    </message>
    <message>
        <source>MediumPurple</source>
        <translation>中紫色</translation>
    </message>
</context>
<context>
    <name>ColorChkDataWindow</name>
    <message>
        <source>DarkSkin</source>
        <translation>深肤色</translation>
    </message>
    <message>
        <source>LightSkin</source>
        <translation>浅肤色</translation>
    </message>
    <message>
        <source>BlueSky</source>
        <translation>蓝天</translation>
    </message>
    <message>
        <source>Foliage</source>
        <translation>树叶</translation>
    </message>
    <message>
        <source>BlueFlower</source>
        <translation>蓝花</translation>
    </message>
    <message>
        <source>BluishGreen</source>
        <translation>蓝绿色</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>橙色</translation>
    </message>
    <message>
        <source>PurplishBlue</source>
        <translation>紫蓝色</translation>
    </message>
    <message>
        <source>ModerateRed</source>
        <translation>中度红</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>紫色</translation>
    </message>
    <message>
        <source>YellowGreen</source>
        <translation>黄绿色</translation>
    </message>
    <message>
        <source>OrangeYellow</source>
        <translation>橙黄色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Magenta</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>青色</translation>
    </message>
    <message>
        <source>GreyishRed</source>
        <translation>灰红色</translation>
    </message>
    <message>
        <source>Violet</source>
        <translation>紫罗兰色</translation>
    </message>
    <message>
        <source>MediumRed</source>
        <translation>中红色</translation>
    </message>
    <message>
        <source>MediumGreen</source>
        <translation>中绿色</translation>
    </message>
    <message>
        <source>MediumBlue</source>
        <translation>中蓝色</translation>
    </message>
    <message>
        <source>DarkRed</source>
        <translation>深红色</translation>
    </message>
    <message>
        <source>DarkGreen</source>
        <translation>深绿色</translation>
    </message>
    <message>
        <source>DarkBlue</source>
        <translation>深蓝色</translation>
    </message>
    <message>
        <source>YellowRed</source>
        <translation>黄红色</translation>
    </message>
    <message>
        <source>MediumPurple</source>
        <translation>中紫色</translation>
    </message>
    <message>
        <source>dE u*v*</source>
        <translation>dE u*v*</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
</context>
<context>
    <name>ColorChkView</name>
    <message>
        <source>dE u*v*</source>
        <translation>dE u*v*</translation>
    </message>
    <message>
        <source>dE 2000</source>
        <translation>dE 2000</translation>
    </message>
    <message>
        <source>  EBUColor  </source>
        <translation>  EBU 色卡  </translation>
    </message>
    <message>
        <source>ColorChecker</source>
        <translation>色卡</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
</context>
<context>
    <name>ColorLumaView</name>
    <message>
        <source>ColorScale</source>
        <translation>色阶</translation>
    </message>
</context>
<context>
    <name>ColorWindow</name>
    <message>
        <source>Red:</source>
        <translation>红：</translation>
    </message>
    <message>
        <source>Green:</source>
        <translation>绿：</translation>
    </message>
    <message>
        <source>Blue:</source>
        <translation>蓝：</translation>
    </message>
    <message>
        <source>Gray:</source>
        <translation>灰：</translation>
    </message>
</context>
<context>
    <name>DataWindow</name>
    <message>
        <source>Data</source>
        <translation>数据</translation>
    </message>
</context>
<context>
    <name>DelteWindow</name>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>dE u*v*</source>
        <translation>dE u*v*</translation>
    </message>
</context>
<context>
    <name>DisplayPage</name>
    <message>
        <source>Primary monitor</source>
        <translation>主显示器</translation>
    </message>
    <message>
        <source>mointor %1</source>
        <translation>显示器 %1</translation>
    </message>
    <message>
        <source>Test pattern display on:</source>
        <translation>测试图显示于：</translation>
    </message>
</context>
<context>
    <name>FreeDataWindow</name>
    <message>
        <source>CCT</source>
        <translation>色温</translation>
    </message>
</context>
<context>
    <name>FreeGamut</name>
    <message>
        <source>White</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Magenta</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>青色</translation>
    </message>
</context>
<context>
    <name>FullScene</name>
    <message>
        <source>Save Data</source>
        <translation>保存数据</translation>
    </message>
    <message>
        <source>Open datafile</source>
        <translation>打开数据文件</translation>
    </message>
    <message>
        <source>Export Error</source>
        <translation>导出错误</translation>
    </message>
    <message>
        <source>Data File Open Error!</source>
        <translation>数据文件打开错误！</translation>
    </message>
    <message>
        <source>PDF File Open Error!</source>
        <translation>PDF 文件打开错误！</translation>
    </message>
    <message>
        <source>Data File Write Error!</source>
        <translation>数据文件写入错误！</translation>
    </message>
    <message>
        <source>Picture File Write Error!</source>
        <translation>图片文件写入错误！</translation>
    </message>
    <message>
        <source>Detailed PDF File Open Error!</source>
        <translation>详细 PDF 文件打开错误！</translation>
    </message>
    <message>
        <source>PDF File Write Error!</source>
        <translation>PDF 文件写入错误！</translation>
    </message>
    <message>
        <source>Export Data</source>
        <translation>导出数据</translation>
    </message>
    <message>
        <source>Data has been successfully Exported!</source>
        <translation>数据已成功导出！</translation>
    </message>
    <message>
        <source>The export &quot;%1&quot; already exists:
%2</source>
        <translation>导出“%1”已存在：
%2</translation>
    </message>
    <message>
        <source>Do you want to replace the whole set? Files of the old set that this export does not write again are removed.</source>
        <translation>是否替换整组文件？旧的一组中本次导出不再写入的文件将被删除。</translation>
    </message>
    <message>
        <source>Import Error</source>
        <translation>导入错误</translation>
    </message>
    <message>
        <source>File Open Error!</source>
        <translation>文件打开错误！</translation>
    </message>
    <message>
        <source>File Version Error!</source>
        <translation>文件版本错误！</translation>
    </message>
    <message>
        <source>Data Error!</source>
        <translation>数据错误！</translation>
    </message>
    <message>
        <source>Import Data</source>
        <translation>导入数据</translation>
    </message>
    <message>
        <source>Data has been successfully Imported!</source>
        <translation>数据已成功导入！</translation>
    </message>
    <message>
        <source>:/icons/resource/logo.png</source>
        <translation>:/icons/resource/logo.png</translation>
    </message>
    <message>
        <source>:/title/resource/rptitile.png</source>
        <translation>:/title/resource/rptitile.png</translation>
    </message>
    <message>
        <source>Contrast: </source>
        <translation>对比度：</translation>
    </message>
    <message>
        <source>Contrast: %1</source>
        <translation>对比度：%1</translation>
    </message>
    <message>
        <source>Gamma: ITU_BT1886</source>
        <translation>伽马：ITU_BT1886</translation>
    </message>
    <message>
        <source>Gamma: %1</source>
        <translation>伽马：%1</translation>
    </message>
    <message>
        <source>Color Quality Report</source>
        <translation>色彩质量报告</translation>
    </message>
    <message>
        <source>S/N :</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>Date: %1</source>
        <translation>日期：%1</translation>
    </message>
    <message>
        <source>Sensor: %1</source>
        <translation>传感器：%1</translation>
    </message>
    <message>
        <source>White: %1 cd/m2</source>
        <translation>白场：%1 cd/m2</translation>
    </message>
    <message>
        <source>Black: %1 cd/m2</source>
        <translation>黑场：%1 cd/m2</translation>
    </message>
    <message>
        <source>RGB Levels</source>
        <translation>RGB 电平</translation>
    </message>
    <message>
        <source>GrayScale dE2000</source>
        <translation>灰阶 dE2000</translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation>色域</translation>
    </message>
    <message>
        <source>Gamut dE2000</source>
        <translation>色域 dE2000</translation>
    </message>
    <message>
        <source>Tolerance</source>
        <translation>容差</translation>
    </message>
    <message>
        <source>Signature:</source>
        <translation>签名：</translation>
    </message>
    <message>
        <source>S/N:______________</source>
        <translation>序列号：______________</translation>
    </message>
    <message>
        <source>Signature:__________</source>
        <translation>签名：__________</translation>
    </message>
</context>
<context>
    <name>GammaWindow</name>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>GamutDataWindow</name>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>W</source>
        <translation>白</translation>
    </message>
    <message>
        <source>R</source>
        <translation>红</translation>
    </message>
    <message>
        <source>G</source>
        <translation>绿</translation>
    </message>
    <message>
        <source>B</source>
        <translation>蓝</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>黄</translation>
    </message>
    <message>
        <source>C</source>
        <translation>青</translation>
    </message>
    <message>
        <source>M</source>
        <translation>品红</translation>
    </message>
</context>
<context>
    <name>GamutView</name>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Z</source>
        <translation>Z</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <source>y</source>
        <translation>y</translation>
    </message>
    <message>
        <source>u</source>
        <translation>u</translation>
    </message>
    <message>
        <source>v</source>
        <translation>v</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>a</source>
        <translation>a</translation>
    </message>
    <message>
        <source>b</source>
        <translation>b</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>W</source>
        <translation>白</translation>
    </message>
    <message>
        <source>R</source>
        <translation>红</translation>
    </message>
    <message>
        <source>G</source>
        <translation>绿</translation>
    </message>
    <message>
        <source>B</source>
        <translation>蓝</translation>
    </message>
    <message>
        <source>Y </source>
        <translation>黄 </translation>
    </message>
    <message>
        <source>C</source>
        <translation>青</translation>
    </message>
    <message>
        <source>M</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation>色域</translation>
    </message>
    <message>
        <source>Reference: %1</source>
        <translation>参考：%1</translation>
    </message>
    <message>
        <source>Tolerance</source>
        <translation>容差</translation>
    </message>
    <message>
        <source>MEAS White</source>
        <translation>实测白色</translation>
    </message>
    <message>
        <source>White 
deltaE2000: </source>
        <translation>白色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Red</source>
        <translation>实测红色</translation>
    </message>
    <message>
        <source>Red 
deltaE2000: </source>
        <translation>红色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Green</source>
        <translation>实测绿色</translation>
    </message>
    <message>
        <source>Green 
deltE2000: </source>
        <translation>绿色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Blue</source>
        <translation>实测蓝色</translation>
    </message>
    <message>
        <source>Blue 
deltaE2000: </source>
        <translation>蓝色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Yellow</source>
        <translation>实测黄色</translation>
    </message>
    <message>
        <source>Yellow 
deltaE2000: </source>
        <translation>黄色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Cyan</source>
        <translation>实测青色</translation>
    </message>
    <message>
        <source>Cyan 
deltaE2000: </source>
        <translation>青色 
deltaE2000：</translation>
    </message>
    <message>
        <source>MEAS Magenta</source>
        <translation>实测品红</translation>
    </message>
    <message>
        <source>Meganta 
deltaE2000: </source>
        <translation>品红 
deltaE2000：</translation>
    </message>
    <message>
        <source>%1% of Coverage</source>
        <translation>覆盖率 %1%</translation>
    </message>
</context>
<context>
    <name>GamutWindow</name>
    <message>
        <source>Gamut</source>
        <translation>色域</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>GmtGamut</name>
    <message>
        <source>White</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Magenta</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>Cyan</source>
        <translation>青色</translation>
    </message>
</context>
<context>
    <name>GrayDataWindow</name>
    <message>
        <source>CCT</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
</context>
<context>
    <name>GrayView</name>
    <message>
        <source>%1: %2%
%3: %4</source>
        <translation>%1：%2%
%3：%4</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>灰阶</translation>
    </message>
    <message>
        <source>MEAS Luma</source>
        <translation>实测亮度</translation>
    </message>
    <message>
        <source>MEAS CCT</source>
        <translation>实测色温</translation>
    </message>
    <message>
        <source>deltaE2000</source>
        <translation>deltaE2000</translation>
    </message>
    <message>
        <source>MEAS Gamma</source>
        <translation>实测伽马</translation>
    </message>
    <message>
        <source>Measured White
CCT: %1</source>
        <translation>实测白点
色温：%1</translation>
    </message>
    <message>
        <source>ftL</source>
        <translation>ftL</translation>
    </message>
    <message>
        <source>CCT</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Z</source>
        <translation>Z</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <source>y</source>
        <translation>y</translation>
    </message>
    <message>
        <source>u</source>
        <translation>u</translation>
    </message>
    <message>
        <source>v</source>
        <translation>v</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>a</source>
        <translation>a</translation>
    </message>
    <message>
        <source>b</source>
        <translation>b</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>GrayScale</source>
        <translation>灰阶</translation>
    </message>
    <message>
        <source>Gamma: ITU_BT1886</source>
        <translation>伽马：ITU_BT1886</translation>
    </message>
    <message>
        <source>Gamma: %1</source>
        <translation>伽马：%1</translation>
    </message>
    <message>
        <source>WP: %1           CCT: %2</source>
        <translation>白点：%1           色温：%2</translation>
    </message>
    <message>
        <source>Contrast: %1</source>
        <translation>对比度：%1</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>RGB Levels</source>
        <translation>RGB 电平</translation>
    </message>
</context>
<context>
    <name>InitDialog</name>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>COM</source>
        <translation>COM</translation>
    </message>
    <message>
        <source>Select sensor: </source>
        <translation>选择传感器：</translation>
    </message>
    <message>
        <source>Select Port:   </source>
        <translation>选择端口：   </translation>
    </message>
    <message>
        <source>Sensor:</source>
        <translation>传感器：</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Select sensor</source>
        <translation>选择传感器</translation>
    </message>
</context>
<context>
    <name>LanguagePage</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Language setting can take
effect after the next setup
of the software</source>
        <translation>语言设置将在软件
下次启动后生效</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
</context>
<context>
    <name>LumaWindow</name>
    <message>
        <source>Luminance</source>
        <translation>亮度</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Measurement is in processing.</source>
        <translation>测量正在进行中。</translation>
    </message>
    <message>
        <source>Sensor operation is in processing.</source>
        <translation>传感器操作正在进行中。</translation>
    </message>
    <message>
        <source>                   Try Later.</source>
        <translation>                   请稍后再试。</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>Version %1.%2.%3&lt;br/&gt;%4</source>
        <translation>版本 %1.%2.%3&lt;br/&gt;%4</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>网站</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>电子邮件</translation>
    </message>
    <message>
        <source>Quelvarin Vivaruded</source>
        <translation>Quelvarin Vivaruded</translation>
    </message>
    <message>
        <source>Gray Measurement</source>
        <translation>灰阶测量</translation>
    </message>
    <message>
        <source>Gamut Measurement</source>
        <translation>色域测量</translation>
    </message>
    <message>
        <source>Saturation Measurement</source>
        <translation>饱和度测量</translation>
    </message>
    <message>
        <source>ColorScale Measurement</source>
        <translation>色阶测量</translation>
    </message>
    <message>
        <source>ColorCheck Measurement</source>
        <translation>色卡测量</translation>
    </message>
    <message>
        <source>Free Measurement</source>
        <translation>自由测量</translation>
    </message>
    <message>
        <source>Gray measurement</source>
        <translation>灰阶测量</translation>
    </message>
    <message>
        <source>Gamut measurement</source>
        <translation>色域测量</translation>
    </message>
    <message>
        <source>Saturation measurement</source>
        <translation>饱和度测量</translation>
    </message>
    <message>
        <source>ColorScale measurement</source>
        <translation>色阶测量</translation>
    </message>
    <message>
        <source>ColorChecker measurement</source>
        <translation>色卡测量</translation>
    </message>
    <message>
        <source>Free measurement</source>
        <translation>自由测量</translation>
    </message>
    <message>
        <source>Keep on using the parameters above press [OK]</source>
        <translation>继续使用以上参数请按 [确定]</translation>
    </message>
    <message>
        <source>To select different parameters press [Cancel]</source>
        <translation>选择其他参数请按 [取消]</translation>
    </message>
    <message>
        <source> Quelvarin Vivaruded</source>
        <translation> Quelvarin Vivaruded</translation>
    </message>
    <message>
        <source>Connect Sensor</source>
        <translation>连接传感器</translation>
    </message>
    <message>
        <source>Open Sensor Profile</source>
        <translation>打开传感器配置文件</translation>
    </message>
    <message>
        <source>Save Sensor Profile</source>
        <translation>保存传感器配置文件</translation>
    </message>
    <message>
        <source>Detach Sensor</source>
        <translation>断开传感器</translation>
    </message>
    <message>
        <source>Import measure data</source>
        <translation>导入测量数据</translation>
    </message>
    <message>
        <source>Export measure data</source>
        <translation>导出测量数据</translation>
    </message>
    <message>
        <source>Open Pattern Window</source>
        <translation>打开测试图窗口</translation>
    </message>
    <message>
        <source>Do monitor calibration</source>
        <translation>显示器校准</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Views</source>
        <translation>视图</translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation>色域</translation>
    </message>
    <message>
        <source>White</source>
        <translation>白点</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>CIE Chart</source>
        <translation>CIE 色度图</translation>
    </message>
    <message>
        <source>CopyData</source>
        <translation>复制数据</translation>
    </message>
    <message>
        <source>Measure ALL</source>
        <translation>全部测量</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>灰阶</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>ColorScale</source>
        <translation>色阶</translation>
    </message>
    <message>
        <source>ColorChecker</source>
        <translation>色卡</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>自由测量</translation>
    </message>
    <message>
        <source>Calibrate Sensor</source>
        <translation>校准传感器</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>详细设置</translation>
    </message>
    <message>
        <source>Open Profile</source>
        <translation>打开配置文件</translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation>保存配置文件</translation>
    </message>
    <message>
        <source>Import Data</source>
        <translation>导入数据</translation>
    </message>
    <message>
        <source>Export Data</source>
        <translation>导出数据</translation>
    </message>
    <message>
        <source>Press to open pattern window</source>
        <translation>点击打开测试图窗口</translation>
    </message>
    <message>
        <source>Start measurement</source>
        <translation>开始测量</translation>
    </message>
    <message>
        <source>Stop measurement</source>
        <translation>停止测量</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>This is an simulator sensor.                   </source>
        <translation>当前为模拟传感器。                   </translation>
    </message>
    <message>
        <source>Keep on using the simulator press [OK] &lt;br/&gt;Select a physical sensor press [Cancel].</source>
        <translation>继续使用模拟器请按 [确定] &lt;br/&gt;选择实际传感器请按 [取消]。</translation>
    </message>
    <message>
        <source>Please Confirm parameters!                   </source>
        <translation>请确认参数！                   </translation>
    </message>
    <message>
        <source>Meaurement</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Meaurement process finished!</source>
        <translation>测量完成！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Measurement encounter some problems.         </source>
        <translation>测量遇到问题。         </translation>
    </message>
    <message>
        <source>No sensor is connected.</source>
        <translation>未连接传感器。</translation>
    </message>
    <message>
        <source>Connect a sensor first.</source>
        <translation>请先连接传感器。</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>This is an simulator sensor. </source>
        <translation>当前为模拟传感器。</translation>
    </message>
    <message>
        <source>To Select a physical sensor.</source>
        <translation>请选择实际传感器。</translation>
    </message>
    <message>
        <source>Save Luts</source>
        <translation>保存 LUT</translation>
    </message>
    <message>
        <source>Calibrate finished.                             </source>
        <translation>校准完成。                             </translation>
    </message>
    <message>
        <source>Export path: %1</source>
        <translation>导出路径：%1</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>There is NO Sensor has been Created!</source>
        <translation>尚未创建传感器！</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新建</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>The Sensor has been detached or has not been opened yet.</source>
        <translation>传感器已断开或尚未打开。</translation>
    </message>
    <message>
        <source>The Sensor has been successfully Detached!</source>
        <translation>传感器已成功断开！</translation>
    </message>
    <message>
        <source>Create another one if you want to start a new measurement.</source>
        <translation>如需开始新的测量，请重新连接传感器。</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>No sensor connected.</source>
        <translation>未连接传感器。</translation>
    </message>
    <message>
        <source>Connect Sensor first.</source>
        <translation>请先连接传感器。</translation>
    </message>
    <message>
        <source>Open profile</source>
        <translation>打开配置文件</translation>
    </message>
    <message>
        <source>ERROR Open profile</source>
        <translation>打开配置文件出错</translation>
    </message>
    <message>
        <source>Profile sensor failed</source>
        <translation>传感器配置文件加载失败</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save profile</source>
        <translation>保存配置文件</translation>
    </message>
    <message>
        <source>Save failed</source>
        <translation>保存失败</translation>
    </message>
    <message>
        <source>No reading succeeded: the sensor gave no value for any test colour. Check its connection and that it faces the pattern.</source>
        <translation>没有一次读数成功：传感器对所有测试颜色都没有给出数值。请检查其连接，并确认它对准了测试图案。</translation>
    </message>
</context>
<context>
    <name>Measure</name>
    <message>
        <source>Network to the Monitor failed!</source>
        <translation>连接显示器的网络失败！</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>传感器</translation>
    </message>
    <message>
        <source>This sensor is not supported now!</source>
        <translation>暂不支持该传感器！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Initialize sensor failed</source>
        <translation>传感器初始化失败</translation>
    </message>
    <message>
        <source>There is not enough memory for the monitor calibration.</source>
        <translation>内存不足，无法进行显示器校准。</translation>
    </message>
    <message>
        <source>CCT</source>
        <translation>色温</translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>dE u*v*</source>
        <translation>dE u*v*</translation>
    </message>
    <message>
        <source>Spectrum:</source>
        <translation>光谱:</translation>
    </message>
    <message>
        <source>MinWaveLength:%1</source>
        <translation>最小波长:%1</translation>
    </message>
    <message>
        <source>MaxWaveLength:%1</source>
        <translation>最大波长:%1</translation>
    </message>
    <message>
        <source>BandWidth:%1</source>
        <translation>带宽:%1</translation>
    </message>
    <message>
        <source>Gray:</source>
        <translation>灰阶:</translation>
    </message>
    <message>
        <source>Gamut:</source>
        <translation>色域:</translation>
    </message>
    <message>
        <source>Saturation:</source>
        <translation>饱和度:</translation>
    </message>
    <message>
        <source>ColorScale:</source>
        <translation>色阶:</translation>
    </message>
    <message>
        <source>ColorChecker:</source>
        <translation>色卡:</translation>
    </message>
    <message>
        <source>ColorEBU3237:</source>
        <translation>EBU3237 色卡:</translation>
    </message>
    <message>
        <source>Free:</source>
        <translation>自由测量:</translation>
    </message>
    <message>
        <source>No sensor is attached.</source>
        <translation>未连接传感器。</translation>
    </message>
    <message>
        <source>Open profile</source>
        <translation>打开配置文件</translation>
    </message>
    <message>
        <source>Open failed</source>
        <translation>打开失败</translation>
    </message>
    <message>
        <source>File bad</source>
        <translation>文件损坏</translation>
    </message>
    <message>
        <source>File version mismatch</source>
        <translation>文件版本不匹配</translation>
    </message>
    <message>
        <source>Sensor and Profile mismatch</source>
        <translation>传感器与配置文件不匹配</translation>
    </message>
    <message>
        <source>The sensor readings do not change with the colours shown: is the sensor on the pattern? No LUT file was written.</source>
        <translation>传感器读数不随显示的颜色变化：传感器是否对准了测试图案？未写入任何 LUT 文件。</translation>
    </message>
    <message>
        <source>A sensor reading failed during the calibration. No LUT file was written.</source>
        <translation>校准过程中有一次传感器读数失败。未写入任何 LUT 文件。</translation>
    </message>
    <message>
        <source>The sensor %1 was lost during the calibration: its port closed or the device was unplugged. No LUT file was written.</source>
        <translation>校准过程中传感器 %1 的连接已丢失：其端口已关闭或设备已被拔出。未写入任何 LUT 文件。</translation>
    </message>
    <message>
        <source>The sensor %1 was lost: its port closed or the device was unplugged. The readings taken so far are kept.</source>
        <translation>传感器 %1 的连接已丢失：其端口已关闭或设备已被拔出。已测得的读数予以保留。</translation>
    </message>
</context>
<context>
    <name>MeasurePage</name>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Native</source>
        <translation>本机窗口</translation>
    </message>
    <message>
        <source>Tcp</source>
        <translation>Tcp</translation>
    </message>
    <message>
        <source>Gray measure steps:</source>
        <translation>灰阶测量步数：</translation>
    </message>
    <message>
        <source>Warm-up time</source>
        <translation>预热时间</translation>
    </message>
    <message>
        <source>Color Set</source>
        <translation>色卡类型</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>信号源</translation>
    </message>
    <message>
        <source>Monitor IP</source>
        <translation>显示器 IP</translation>
    </message>
</context>
<context>
    <name>NerelSensor</name>
    <message>
        <source>Open Sensor Error!</source>
        <translation>打开传感器出错！</translation>
    </message>
    <message>
        <source>get device list failed.</source>
        <translation>获取设备列表失败。</translation>
    </message>
    <message>
        <source>no device found.</source>
        <translation>未找到设备。</translation>
    </message>
    <message>
        <source>get device list failed 2.</source>
        <translation>获取设备列表失败（2）。</translation>
    </message>
    <message>
        <source>get frame size failed.</source>
        <translation>获取帧尺寸失败。</translation>
    </message>
    <message>
        <source>wavelength acquire failed.</source>
        <translation>获取波长失败。</translation>
    </message>
    <message>
        <source>color information allocation failed.</source>
        <translation>颜色信息分配失败。</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>Options</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Reference</source>
        <translation>参考标准</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>PatternWindow</name>
    <message>
        <source>Red:</source>
        <translation>红：</translation>
    </message>
    <message>
        <source>Green:</source>
        <translation>绿：</translation>
    </message>
    <message>
        <source>Blue:</source>
        <translation>蓝：</translation>
    </message>
    <message>
        <source>Gray:</source>
        <translation>灰：</translation>
    </message>
    <message>
        <source>TestPattern</source>
        <translation>测试图</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>灰阶</translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation>色域</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>ColorScale</source>
        <translation>色阶</translation>
    </message>
    <message>
        <source>ColorChecker</source>
        <translation>色卡</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>自由测量</translation>
    </message>
</context>
<context>
    <name>ReferencePage</name>
    <message>
        <source>White Target</source>
        <translation>目标白点</translation>
    </message>
    <message>
        <source>CIE chart</source>
        <translation>CIE 色度图</translation>
    </message>
    <message>
        <source>Color Space</source>
        <translation>色彩空间</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>色彩标准</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>数值</translation>
    </message>
</context>
<context>
    <name>RgbLevelWindow</name>
    <message>
        <source>RGB Levels</source>
        <translation>RGB 电平</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>RgbPillarWindow</name>
    <message>
        <source>RGB Level</source>
        <translation>RGB 电平</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>SatDataWindow</name>
    <message>
        <source>dE2000</source>
        <translation>dE2000</translation>
    </message>
    <message>
        <source>R1</source>
        <translation>红1</translation>
    </message>
    <message>
        <source>R2</source>
        <translation>红2</translation>
    </message>
    <message>
        <source>R3</source>
        <translation>红3</translation>
    </message>
    <message>
        <source>R4</source>
        <translation>红4</translation>
    </message>
    <message>
        <source>R5</source>
        <translation>红5</translation>
    </message>
    <message>
        <source>G1</source>
        <translation>绿1</translation>
    </message>
    <message>
        <source>G2</source>
        <translation>绿2</translation>
    </message>
    <message>
        <source>G3</source>
        <translation>绿3</translation>
    </message>
    <message>
        <source>G4</source>
        <translation>绿4</translation>
    </message>
    <message>
        <source>G5</source>
        <translation>绿5</translation>
    </message>
    <message>
        <source>B1</source>
        <translation>蓝1</translation>
    </message>
    <message>
        <source>B2</source>
        <translation>蓝2</translation>
    </message>
    <message>
        <source>B3</source>
        <translation>蓝3</translation>
    </message>
    <message>
        <source>B4</source>
        <translation>蓝4</translation>
    </message>
    <message>
        <source>B5</source>
        <translation>蓝5</translation>
    </message>
    <message>
        <source>Y1</source>
        <translation>黄1</translation>
    </message>
    <message>
        <source>Y2</source>
        <translation>黄2</translation>
    </message>
    <message>
        <source>Y3</source>
        <translation>黄3</translation>
    </message>
    <message>
        <source>Y4</source>
        <translation>黄4</translation>
    </message>
    <message>
        <source>Y5</source>
        <translation>黄5</translation>
    </message>
    <message>
        <source>M1</source>
        <translation>品红1</translation>
    </message>
    <message>
        <source>M2</source>
        <translation>品红2</translation>
    </message>
    <message>
        <source>M3</source>
        <translation>品红3</translation>
    </message>
    <message>
        <source>M4</source>
        <translation>品红4</translation>
    </message>
    <message>
        <source>M5</source>
        <translation>品红5</translation>
    </message>
    <message>
        <source>C1</source>
        <translation>青1</translation>
    </message>
    <message>
        <source>C2</source>
        <translation>青2</translation>
    </message>
    <message>
        <source>C3</source>
        <translation>青3</translation>
    </message>
    <message>
        <source>C4</source>
        <translation>青4</translation>
    </message>
    <message>
        <source>C5</source>
        <translation>青5</translation>
    </message>
</context>
<context>
    <name>SatGamut</name>
    <message>
        <source>White</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>Red 20%</source>
        <translation>红色 20%</translation>
    </message>
    <message>
        <source>Red 40%</source>
        <translation>红色 40%</translation>
    </message>
    <message>
        <source>Red 60%</source>
        <translation>红色 60%</translation>
    </message>
    <message>
        <source>Red 80%</source>
        <translation>红色 80%</translation>
    </message>
    <message>
        <source>Red 100%</source>
        <translation>红色 100%</translation>
    </message>
    <message>
        <source>Green 20%</source>
        <translation>绿色 20%</translation>
    </message>
    <message>
        <source>Green 40%</source>
        <translation>绿色 40%</translation>
    </message>
    <message>
        <source>Green 60%</source>
        <translation>绿色 60%</translation>
    </message>
    <message>
        <source>Green 80%</source>
        <translation>绿色 80%</translation>
    </message>
    <message>
        <source>Green 100%</source>
        <translation>绿色 100%</translation>
    </message>
    <message>
        <source>Blue 20%</source>
        <translation>蓝色 20%</translation>
    </message>
    <message>
        <source>Blue 40%</source>
        <translation>蓝色 40%</translation>
    </message>
    <message>
        <source>Blue 60%</source>
        <translation>蓝色 60%</translation>
    </message>
    <message>
        <source>Blue 80%</source>
        <translation>蓝色 80%</translation>
    </message>
    <message>
        <source>Blue 100%</source>
        <translation>蓝色 100%</translation>
    </message>
    <message>
        <source>Yellow 20%</source>
        <translation>黄色 20%</translation>
    </message>
    <message>
        <source>Yellow 40%</source>
        <translation>黄色 40%</translation>
    </message>
    <message>
        <source>Yellow 60%</source>
        <translation>黄色 60%</translation>
    </message>
    <message>
        <source>Yellow 80%</source>
        <translation>黄色 80%</translation>
    </message>
    <message>
        <source>Yellow 100%</source>
        <translation>黄色 100%</translation>
    </message>
    <message>
        <source>Magenta 20%</source>
        <translation>品红 20%</translation>
    </message>
    <message>
        <source>Magenta 40%</source>
        <translation>品红 40%</translation>
    </message>
    <message>
        <source>Magenta 60%</source>
        <translation>品红 60%</translation>
    </message>
    <message>
        <source>Magenta 80%</source>
        <translation>品红 80%</translation>
    </message>
    <message>
        <source>Magenta 100%</source>
        <translation>品红 100%</translation>
    </message>
    <message>
        <source>Cyan 20%</source>
        <translation>青色 20%</translation>
    </message>
    <message>
        <source>Cyan 40%</source>
        <translation>青色 40%</translation>
    </message>
    <message>
        <source>Cyan 60%</source>
        <translation>青色 60%</translation>
    </message>
    <message>
        <source>Cyan 80%</source>
        <translation>青色 80%</translation>
    </message>
    <message>
        <source>Cyan 100%</source>
        <translation>青色 100%</translation>
    </message>
</context>
<context>
    <name>SaturatView</name>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
</context>
<context>
    <name>SensorPage</name>
    <message>
        <source>Sensor Features:</source>
        <translation>传感器特性：</translation>
    </message>
    <message>
        <source>SN :</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>Port :</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>Monitor Features:</source>
        <translation>显示器特性：</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Normal Gammut</source>
        <translation>标准色域</translation>
    </message>
    <message>
        <source>Wide Gammut</source>
        <translation>广色域</translation>
    </message>
    <message>
        <source>WLED</source>
        <translation>WLED</translation>
    </message>
    <message>
        <source>CCFL</source>
        <translation>CCFL</translation>
    </message>
    <message>
        <source>RGBLED</source>
        <translation>RGBLED</translation>
    </message>
    <message>
        <source>CUSTOM</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>Color Gammut:</source>
        <translation>色域：</translation>
    </message>
    <message>
        <source>Backlight :</source>
        <translation>背光：</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Sync Mode:</source>
        <translation>同步模式：</translation>
    </message>
    <message>
        <source>Freq(Hz):</source>
        <translation>频率(Hz)：</translation>
    </message>
    <message>
        <source>CalibMode:</source>
        <translation>校准模式：</translation>
    </message>
    <message>
        <source>CalibValue:</source>
        <translation>校准值：</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>速度：</translation>
    </message>
</context>
<context>
    <name>SpecWindow</name>
    <message>
        <source>Spectrum</source>
        <translation>光谱</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>Spyder3Sensor</name>
    <message>
        <source>Open spyder3.dll failed</source>
        <translation>打开 spyder3.dll 失败</translation>
    </message>
    <message>
        <source>Error dll file</source>
        <translation>DLL 文件错误</translation>
    </message>
    <message>
        <source>Open device failed</source>
        <translation>打开设备失败</translation>
    </message>
</context>
<context>
    <name>Spyder4Sensor</name>
    <message>
        <source>Open dccmtr.dll failed</source>
        <translation>打开 dccmtr.dll 失败</translation>
    </message>
    <message>
        <source>Error dll file</source>
        <translation>DLL 文件错误</translation>
    </message>
    <message>
        <source>Open device failed</source>
        <translation>打开设备失败</translation>
    </message>
    <message>
        <source>Calibration failed, will use default settings.</source>
        <translation>校准失败，将使用默认设置。</translation>
    </message>
</context>
<context>
    <name>TargetWindow</name>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
</context>
<context>
    <name>ToleranceWindow</name>
    <message>
        <source>Tolerance</source>
        <translation>容差</translation>
    </message>
</context>
<context>
    <name>WhiteWindow</name>
    <message>
        <source>WhitePoint</source>
        <translation>白点</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>White</source>
        <translation>白点</translation>
    </message>
</context>
</TS>
