<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CSensor</name>
    <message>
        <source>Unknow sensor</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CalDialog</name>
    <message>
        <source>calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HDTV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DCIP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UHDTV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cube</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3dlut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color Space</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lut Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cube Size:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CalibrateDialog</name>
    <message>
        <source>Sensor Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor value:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reference value:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Red</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate matrix:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid sensor value at %1 row %2col!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid reference value at %1 row %2col!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid sensor value at 4 row %1col!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid reference value at 4 row %1col!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CalibrateMonitor</name>
    <message>
        <source>The LUT file %1 could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CctWindow</name>
    <message>
        <source>CCT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DataWindow</name>
    <message>
        <source>Data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DelteWindow</name>
    <message>
        <source>dE2000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FullScene</name>
    <message>
        <source>Save Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open datafile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data File Open Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF File Open Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data File Write Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture File Write Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detailed PDF File Open Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF File Write Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data has been successfully Exported!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Open Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Version Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data has been successfully Imported!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>:/icons/resource/logo.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>:/title/resource/rptitile.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrast: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrast: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma: ITU_BT1886</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color Quality Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S/N :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White: %1 cd/m2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black: %1 cd/m2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RGB Levels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GrayScale dE2000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamut dE2000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tolerance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signature:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S/N:______________</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signature:__________</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GammaWindow</name>
    <message>
        <source>Gamma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GrayDataWindow</name>
    <message>
        <source>CCT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GrayView</name>
    <message>
        <source>%1: %2%
%3: %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MEAS Luma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MEAS CCT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>deltaE2000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MEAS Gamma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measured White
CCT: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ftL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CCT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>y</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>u</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>v</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>b</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dE2000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GrayScale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma: ITU_BT1886</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WP: %1           CCT: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrast: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RGB Levels</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LumaWindow</name>
    <message>
        <source>Luminance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Measurement is in processing.</source>
        <translation>测量正在进行中。</translation>
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
        <translation type="unfinished"></translation>
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
        <translation>继续使用以上参数请按 [OK]</translation>
    </message>
    <message>
        <source>To select different parameters press [Cancel]</source>
        <translation>选择其他参数请按 [Cancel]</translation>
    </message>
    <message>
        <source> Quelvarin Vivaruded</source>
        <translation type="unfinished"></translation>
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
        <translation>继续使用模拟器请按 [OK] &lt;br/&gt;选择实际传感器请按 [Cancel]。</translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect a sensor first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is an simulator sensor. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To Select a physical sensor.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Luts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate finished.                             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export path: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Measure</name>
    <message>
        <source>Network to the Monitor failed!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This sensor is not supported now!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Initialize sensor failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is not enough memory for the monitor calibration.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PatternWindow</name>
    <message>
        <source>Red:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Green:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blue:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gray:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TestPattern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ColorScale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ColorChecker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Free</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RgbLevelWindow</name>
    <message>
        <source>RGB Levels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WhiteWindow</name>
    <message>
        <source>WhitePoint</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
