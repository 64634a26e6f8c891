<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CallLog</name>
    <message>
        <source>An entry to mark needs a number.</source>
        <translation>要标记的条目需要一个号码。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a mark: give allow or block.</source>
        <translation>“%1”不是标记：请指定 allow 或 block。</translation>
    </message>
    <message>
        <source>A name rule needs a text.</source>
        <translation>名称规则需要一段文字。</translation>
    </message>
</context>
<context>
    <name>CallNotice</name>
    <message>
        <source>Private number</source>
        <translation>隐藏号码</translation>
    </message>
    <message>
        <source>Number unavailable</source>
        <translation>号码不可用</translation>
    </message>
    <message>
        <source>Blocked: %1</source>
        <translation>已拦截：%1</translation>
    </message>
    <message numerus="yes">
        <source>Latest of %n calls</source>
        <translation>
            <numerusform>%n 个来电中的最新一个</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallNotifier</name>
    <message>
        <source>Show Ringvane</source>
        <translation>显示 Ringvane</translation>
    </message>
</context>
<context>
    <name>CallPipeline</name>
    <message>
        <source>The phonebook cannot be read, callers are shown as the line gives them: %1</source>
        <translation>无法读取电话簿，来电者按线路提供的信息显示：%1</translation>
    </message>
    <message>
        <source>The call log is back: 1 waiting call saved</source>
        <translation>通话记录已恢复：已保存 1 个等待中的来电</translation>
    </message>
    <message numerus="yes">
        <source>The call log is back: %n waiting calls saved</source>
        <translation>
            <numerusform>通话记录已恢复：已保存 %n 个等待中的来电</numerusform>
        </translation>
    </message>
    <message>
        <source>The modem cannot hang up on calls (%1): calls to block are only marked</source>
        <translation>调制解调器无法挂断来电（%1）：要拦截的来电只会被标记</translation>
    </message>
    <message>
        <source>The phonebook is not read yet or cannot be read: calls ring and none is hung up</source>
        <translation>电话簿尚未读取或无法读取：来电照常响铃，不会挂断任何来电</translation>
    </message>
    <message>
        <source>Ringvane cannot read the number %1, so the call rings: numbers without a country code need [numbers] region= in the settings</source>
        <translation>Ringvane 无法识别号码 %1，因此来电照常响铃：不带国家代码的号码需要在设置中填写 [numbers] region=</translation>
    </message>
    <message>
        <source>The call is kept and will be saved when the call log is back</source>
        <translation>该来电已暂存，将在通话记录恢复后保存</translation>
    </message>
    <message numerus="yes">
        <source>%n calls are kept and will be saved when the call log is back</source>
        <translation>
            <numerusform>%n 个来电已暂存，将在通话记录恢复后保存</numerusform>
        </translation>
    </message>
    <message>
        <source>The call is not yet safe: it could not be kept on disk</source>
        <translation>该来电尚未保存妥当：无法暂存到磁盘</translation>
    </message>
    <message numerus="yes">
        <source>%n calls are not yet safe: they could not be kept on disk</source>
        <translation>
            <numerusform>%n 个来电尚未保存妥当：无法暂存到磁盘</numerusform>
        </translation>
    </message>
    <message>
        <source>Waiting: [%1] %2</source>
        <translation>等待中：[%1] %2</translation>
    </message>
    <message>
        <source>Held in memory: [%1] %2</source>
        <translation>保留在内存中：[%1] %2</translation>
    </message>
    <message>
        <source>1 call waiting for the call log</source>
        <translation>1 个来电等待写入通话记录</translation>
    </message>
    <message numerus="yes">
        <source>%n calls waiting for the call log</source>
        <translation>
            <numerusform>%n 个来电等待写入通话记录</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallRecorder</name>
    <message>
        <source>no database support</source>
        <translation>没有数据库支持</translation>
    </message>
    <message>
        <source>not stored within %1 s</source>
        <translation>未在 %1 秒内保存</translation>
    </message>
</context>
<context>
    <name>CallScreen</name>
    <message>
        <source>on the block list (%1)</source>
        <translation>在黑名单中（%1）</translation>
    </message>
    <message>
        <source>the name matches a rule (%1)</source>
        <translation>名称符合名称规则（%1）</translation>
    </message>
    <message>
        <source>the number is withheld</source>
        <translation>号码已隐藏</translation>
    </message>
    <message>
        <source>the number cannot exist</source>
        <translation>该号码不可能存在</translation>
    </message>
    <message>
        <source>not in the phonebook</source>
        <translation>不在电话簿中</translation>
    </message>
</context>
<context>
    <name>CallSpool</name>
    <message>
        <source>%1 is left alone, since %2</source>
        <translation>%1 未被改动，因为%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot name a file of waiting calls</source>
        <translation>“%1”不能用作等待中来电文件的名称</translation>
    </message>
    <message>
        <source>Waiting calls cannot be kept in the folder %1: %2</source>
        <translation>无法在文件夹 %1 中暂存等待中的来电：%2</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>Every file of waiting calls for this data source is in use</source>
        <translation>此数据源的所有等待中来电文件都在使用中</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>Waiting calls: %1 (no call is read from it); calls are kept in %2</source>
        <translation>等待中的来电：%1（不从中读取任何来电）；来电暂存在 %2 中</translation>
    </message>
    <message>
        <source>Call %1 is already waiting</source>
        <translation>来电 %1 已在等待中</translation>
    </message>
    <message>
        <source>Call %1 has no date and time to keep</source>
        <translation>来电 %1 没有可暂存的日期和时间</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>Waiting calls: skipped a damaged entry of %1 bytes at byte %2 of %3</source>
        <translation>等待中的来电：已跳过 %3 中第 %2 字节处一个 %1 字节的损坏条目</translation>
    </message>
    <message numerus="yes">
        <source>Waiting calls: skipped %n more damaged entries (%1 bytes) of %2</source>
        <translation>
            <numerusform>等待中的来电：已跳过 %2 中另外 %n 个损坏条目（%1 字节）</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallToolTip</name>
    <message>
        <source>Hung up</source>
        <translation>已挂断</translation>
    </message>
    <message>
        <source>Hung up: %1</source>
        <translation>已挂断：%1</translation>
    </message>
    <message>
        <source>Not hung up, but unwanted: %1</source>
        <translation>未挂断，但属于骚扰来电：%1</translation>
    </message>
    <message>
        <source>Not yet saved in the call log</source>
        <translation>尚未保存到通话记录</translation>
    </message>
</context>
<context>
    <name>CallWriter</name>
    <message>
        <source>The call log file was deleted or replaced</source>
        <translation>通话记录文件已被删除或替换</translation>
    </message>
</context>
<context>
    <name>CommandOutput</name>
    <message>
        <source>The port did not send its output within %1 seconds</source>
        <translation>端口未在 %1 秒内发出其输出</translation>
    </message>
</context>
<context>
    <name>ContactDialog</name>
    <message>
        <source>&amp;Number:</source>
        <translation>号码(&amp;N)：</translation>
    </message>
    <message>
        <source>N&amp;ame:</source>
        <translation>名称(&amp;A)：</translation>
    </message>
</context>
<context>
    <name>ContactFiles</name>
    <message>
        <source>no name</source>
        <translation>没有名称</translation>
    </message>
    <message>
        <source>no telephone number</source>
        <translation>没有电话号码</translation>
    </message>
    <message>
        <source>a line longer than 64 KiB</source>
        <translation>有一行超过 64 KiB</translation>
    </message>
    <message>
        <source>not a Google Contacts export (no &quot;Phone 1 - Value&quot; column)</source>
        <translation>不是 Google 通讯录的导出文件（没有“Phone 1 - Value”列）</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>Could not read the next row.</source>
        <translation>无法读取下一行。</translation>
    </message>
    <message>
        <source>Could not read a value.</source>
        <translation>无法读取某个值。</translation>
    </message>
    <message>
        <source>Could not make a statement.</source>
        <translation>无法创建语句。</translation>
    </message>
    <message>
        <source>Could not read the columns.</source>
        <translation>无法读取各列。</translation>
    </message>
    <message>
        <source>The transaction could not end.</source>
        <translation>无法结束事务。</translation>
    </message>
    <message>
        <source>The source could not be opened.</source>
        <translation>无法打开该数据来源。</translation>
    </message>
    <message>
        <source>Could not prepare the new row.</source>
        <translation>无法准备新行。</translation>
    </message>
    <message>
        <source>Provider cannot be found. It may not be properly installed.</source>
        <translation>找不到提供程序。它可能未正确安装。</translation>
    </message>
    <message>
        <source>The connection string is too long.</source>
        <translation>连接字符串过长。</translation>
    </message>
    <message>
        <source>The ODBC driver manager could not start.</source>
        <translation>ODBC 驱动程序管理器无法启动。</translation>
    </message>
    <message>
        <source>Could not make a connection.</source>
        <translation>无法建立连接。</translation>
    </message>
    <message>
        <source>Could not open the data source.</source>
        <translation>无法打开数据源。</translation>
    </message>
    <message>
        <source>The statement failed.</source>
        <translation>语句执行失败。</translation>
    </message>
    <message>
        <source>The transaction could not begin.</source>
        <translation>无法开始事务。</translation>
    </message>
    <message>
        <source>The row could not be stored.</source>
        <translation>无法存储该行。</translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <source>Only members of the group &quot;%1&quot; may: add yourself with &quot;%2&quot;, then log out and in again.</source>
        <translation>只有组“%1”的成员才可以：用“%2”把自己加入该组，然后注销并重新登录。</translation>
    </message>
    <message>
        <source>It is reserved for the administrator. To give it to the group &quot;dialout&quot;, run: %1; then add yourself with &quot;%2&quot; and log out and in again.</source>
        <translation>它仅供管理员使用。要把它交给组“dialout”，请运行：%1；然后用“%2”把自己加入该组，并注销后重新登录。</translation>
    </message>
</context>
<context>
    <name>FeedServer</name>
    <message>
        <source>Network feed off: %1 is already in use, perhaps by another caller-ID server</source>
        <translation>网络推送已关闭：%1 已被占用，可能是另一个来电显示服务器</translation>
    </message>
    <message>
        <source>Network feed off: %1 is not an address of this computer</source>
        <translation>网络推送已关闭：%1 不是本机的地址</translation>
    </message>
    <message>
        <source>Network feed off: no permission to listen on %1</source>
        <translation>网络推送已关闭：没有在 %1 上监听的权限</translation>
    </message>
    <message>
        <source>Network feed off: cannot listen on %1 (%2)</source>
        <translation>网络推送已关闭：无法在 %1 上监听（%2）</translation>
    </message>
    <message>
        <source>Network feed off: &quot;%1&quot; is not an address and port such as 127.0.0.1:3333</source>
        <translation>网络推送已关闭：“%1”不是 127.0.0.1:3333 这样的地址和端口</translation>
    </message>
</context>
<context>
    <name>FirstStart</name>
    <message>
        <source>ringvane-find-modems left no report: run it in a terminal to look for modems and see why none was found.</source>
        <translation>ringvane-find-modems 没有留下报告：请在终端中运行它，查找调制解调器并查看为何没有找到。</translation>
    </message>
    <message>
        <source>ringvane-find-modems reported:</source>
        <translation>ringvane-find-modems 报告：</translation>
    </message>
    <message>
        <source>... (the rest is in %1)</source>
        <translation>...（其余内容见 %1）</translation>
    </message>
    <message>
        <source>No caller-ID modem found: see Help, or run ringvane-find-modems in a terminal</source>
        <translation>未找到支持来电显示的调制解调器：请参阅帮助，或在终端中运行 ringvane-find-modems</translation>
    </message>
    <message>
        <source>Join the group &quot;%2&quot; to use %1: see the receive log</source>
        <translation>加入组“%2”才能使用 %1：请看接收日志</translation>
    </message>
    <message>
        <source>%1 belongs to the administrator: see the receive log</source>
        <translation>%1 属于管理员：请看接收日志</translation>
    </message>
</context>
<context>
    <name>FreedesktopNotifications</name>
    <message>
        <source>no notification service on the session bus</source>
        <translation>会话总线上没有通知服务</translation>
    </message>
    <message numerus="yes">
        <source>the notification service did not answer within %n seconds</source>
        <translation>
            <numerusform>通知服务在 %n 秒内没有应答</numerusform>
        </translation>
    </message>
    <message>
        <source>the notification service did not answer</source>
        <translation>通知服务没有应答</translation>
    </message>
    <message>
        <source>the session bus went away</source>
        <translation>会话总线已断开</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>没有会话总线</translation>
    </message>
    <message>
        <source>no session bus (%1)</source>
        <translation>没有会话总线（%1）</translation>
    </message>
    <message>
        <source>Desktop notifications are not available: %1</source>
        <translation>桌面通知不可用：%1</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>Help of Ringvane</source>
        <translation>Ringvane 帮助</translation>
    </message>
    <message>
        <source> Search the history record by select a day</source>
        <translation> 选择日期查看历史来电记录</translation>
    </message>
    <message>
        <source>Initiate Ringvane</source>
        <translation>启动 Ringvane</translation>
    </message>
    <message>
        <source>Select your modem</source>
        <translation>选择您的调制解调器</translation>
    </message>
    <message>
        <source>history of the last day</source>
        <translation>前一天的来电记录</translation>
    </message>
    <message>
        <source>history of the next day</source>
        <translation>后一天的来电记录</translation>
    </message>
    <message>
        <source>Exit from Ringvane</source>
        <translation>退出 Ringvane</translation>
    </message>
    <message>
        <source>the record of today</source>
        <translation>今天的来电记录</translation>
    </message>
    <message>
        <source>Minimize the Monitor</source>
        <translation>最小化窗口</translation>
    </message>
    <message>
        <source>Incoming call history record</source>
        <translation>来电历史记录</translation>
    </message>
    <message>
        <source>Solve problem</source>
        <translation>解决问题</translation>
    </message>
</context>
<context>
    <name>LineGuard</name>
    <message>
        <source>it answered ERROR to ATH1</source>
        <translation>它对 ATH1 回答了 ERROR</translation>
    </message>
    <message>
        <source>it did not answer ATH1</source>
        <translation>它没有回应 ATH1</translation>
    </message>
</context>
<context>
    <name>LockedFile</name>
    <message>
        <source>it is not a folder</source>
        <translation>它不是文件夹</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>它不是普通文件</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>它属于另一个用户</translation>
    </message>
    <message>
        <source>other users may write to it</source>
        <translation>其他用户可以写入它</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>它是符号链接</translation>
    </message>
    <message>
        <source>it may not be opened (%1)</source>
        <translation>不允许打开它（%1）</translation>
    </message>
    <message>
        <source>the file kept changing while it was being opened</source>
        <translation>文件在打开过程中不断变化</translation>
    </message>
    <message>
        <source>&quot;%1&quot; makes it safe</source>
        <translation>运行“%1”即可使其安全</translation>
    </message>
    <message>
        <source>remove or rename it, and a folder of your own will take its place</source>
        <translation>删除或重命名它，届时会由您自己的文件夹取而代之</translation>
    </message>
</context>
<context>
    <name>ModemCatalogue</name>
    <message>
        <source>The configuration of modem is not correct！</source>
        <translation>调制解调器的配置不正确！</translation>
    </message>
    <message>
        <source>Please firstly check your modem configuration.</source>
        <translation>请先检查您的调制解调器配置。</translation>
    </message>
    <message>
        <source>your modem don&apos;t support ringvane！</source>
        <translation>您的调制解调器不支持 Ringvane！</translation>
    </message>
    <message>
        <source>Sorry,your modem don&apos;t support ringvane!</source>
        <translation>抱歉，您的调制解调器不支持 Ringvane！</translation>
    </message>
</context>
<context>
    <name>PhonebookEdit</name>
    <message>
        <source>Name this caller…</source>
        <translation>为此来电者命名…</translation>
    </message>
    <message>
        <source>Change name…</source>
        <translation>更改名称…</translation>
    </message>
    <message>
        <source>Remove from phonebook</source>
        <translation>从电话簿中删除</translation>
    </message>
    <message>
        <source>Block this number</source>
        <translation>拦截此号码</translation>
    </message>
    <message>
        <source>Allow this number</source>
        <translation>允许此号码</translation>
    </message>
    <message>
        <source>Remove from the lists</source>
        <translation>从拦截和允许名单中移除</translation>
    </message>
</context>
<context>
    <name>PortSettings</name>
    <message>
        <source>Modem haven&apos;t been installed properly</source>
        <translation>调制解调器未正确安装</translation>
    </message>
    <message>
        <source>Please firstly make sure your modem is installed correctly.</source>
        <translation>请先确认您的调制解调器已正确安装。</translation>
    </message>
    <message>
        <source>Sorry , I couldn&apos;t use the modem</source>
        <translation>抱歉，无法使用调制解调器</translation>
    </message>
    <message>
        <source>Maybe other applications are using the modem now.</source>
        <translation>可能有其他应用程序正在使用该调制解调器。</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>权限被拒绝</translation>
    </message>
    <message>
        <source>The system refused access to the modem (%1): join the group the device belongs to (usually dialout), then log in again.</source>
        <translation>系统拒绝访问调制解调器（%1）：请加入该设备所属的组（通常为 dialout），然后重新登录。</translation>
    </message>
    <message>
        <source>The system refused access to %1 (%2): join the group the device belongs to (usually dialout), then log in again.</source>
        <translation>系统拒绝访问 %1（%2）：请加入该设备所属的组（通常为 dialout），然后重新登录。</translation>
    </message>
    <message>
        <source>The system refused access to %1 (%2). %3</source>
        <translation>系统拒绝访问 %1（%2）。%3</translation>
    </message>
    <message>
        <source>The modem has gone away</source>
        <translation>调制解调器已断开</translation>
    </message>
    <message>
        <source>Monitoring is off until the modem is connected again; then it resumes by itself.</source>
        <translation>监控已关闭，直到调制解调器重新连接；届时将自动恢复。</translation>
    </message>
</context>
<context>
    <name>RegistryFile</name>
    <message>
        <source>cannot create the folder %1</source>
        <translation>无法创建文件夹 %1</translation>
    </message>
</context>
<context>
    <name>TAPI</name>
    <message>
        <source>Could not convert the text to a date and time.</source>
        <translation>无法将该文本转换为日期和时间。</translation>
    </message>
</context>
<context>
    <name>TtyComm</name>
    <message>
        <source>Invalid port number</source>
        <translation>无效的端口号</translation>
    </message>
    <message>
        <source>Port already open</source>
        <translation>端口已打开</translation>
    </message>
    <message>
        <source>No device for this port</source>
        <translation>此端口没有对应的设备</translation>
    </message>
    <message>
        <source>Not a serial device</source>
        <translation>不是串行设备</translation>
    </message>
    <message>
        <source>Not a serial device (%1)</source>
        <translation>不是串行设备（%1）</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>1 call from an earlier run is waiting for the call log</source>
        <translation>上次运行时的 1 个来电正在等待写入通话记录</translation>
    </message>
    <message numerus="yes">
        <source>%n calls from an earlier run are waiting for the call log</source>
        <translation>
            <numerusform>上次运行时的 %n 个来电正在等待写入通话记录</numerusform>
        </translation>
    </message>
    <message>
        <source>The call log is unavailable: calls are kept until it is back</source>
        <translation>通话记录不可用：来电会先保留，直到通话记录恢复</translation>
    </message>
    <message>
        <source>The call log is back</source>
        <translation>通话记录已恢复</translation>
    </message>
    <message>
        <source>The call log is unavailable: %1</source>
        <translation>通话记录不可用：%1</translation>
    </message>
    <message>
        <source>The call log could not be read for this day</source>
        <translation>无法读取这一天的通话记录</translation>
    </message>
    <message>
        <source>The modem is back: monitoring again</source>
        <translation>调制解调器已恢复：重新开始监听</translation>
    </message>
    <message>
        <source>The phonebook could not be changed</source>
        <translation>无法修改电话簿</translation>
    </message>
    <message>
        <source>System initialization...</source>
        <translation>系统初始化...</translation>
    </message>
    <message>
        <source>Could not acquire the database support from your system</source>
        <translation>无法从系统获取数据库支持</translation>
    </message>
    <message>
        <source>The call log could not be opened: calls are kept until it is back</source>
        <translation>无法打开通话记录：来电会先保留，直到通话记录恢复</translation>
    </message>
    <message>
        <source>hi</source>
        <translation>你好</translation>
    </message>
</context>
<context>
    <name>ringvane</name>
    <message>
        <source>Raise no desktop notifications for calls.</source>
        <translation>来电时不显示桌面通知。</translation>
    </message>
    <message>
        <source>ADDRESS:PORT</source>
        <translation>地址:端口</translation>
    </message>
    <message>
        <source>Send calls to caller-ID clients (NCID) listening here; a port alone means this computer only.</source>
        <translation>将来电发送给在此处监听的来电显示客户端（NCID）；只给出端口时仅限本机。</translation>
    </message>
    <message>
        <source>CC</source>
        <translation>国家代码</translation>
    </message>
    <message>
        <source>Read telephone numbers as the country with this two-letter code writes them (GB, US, DE...); by default the country of your regional format.</source>
        <translation>按此两字母代码所代表国家的写法读取电话号码（GB、US、DE...）；默认为您的区域格式所在的国家。</translation>
    </message>
    <message>
        <source>MODE</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>off: hang up on no call, only mark the listed ones (the default); list: hang up on the calls the block list and rules name, unless allowed or in the phonebook; known-only: hang up on every call not allowed and not in the phonebook.</source>
        <translation>off：不挂断任何来电，只标记名单上的来电（默认）；list：挂断拦截名单和规则所列的来电，已允许或在电话簿中的除外；known-only：挂断所有既未允许、也不在电话簿中的来电。</translation>
    </message>
    <message>
        <source>Whether calls with the number withheld count as blocked.</source>
        <translation>隐藏号码的来电是否算作被拦截。</translation>
    </message>
    <message>
        <source>Whether calls from numbers that cannot exist count as blocked.</source>
        <translation>来自不可能存在的号码的来电是否算作被拦截。</translation>
    </message>
    <message>
        <source>SECONDS</source>
        <translation>秒数</translation>
    </message>
    <message>
        <source>How long the line is held off hook before hanging up (1.5).</source>
        <translation>挂断前保持摘机的时长（1.5）。</translation>
    </message>
    <message>
        <source>Raise no desktop notification for a call hung up on.</source>
        <translation>被挂断的来电不显示桌面通知。</translation>
    </message>
    <message>
        <source>--%1 takes %2, not &apos;%3&apos;.</source>
        <translation>--%1 的值应为 %2，而不是 &apos;%3&apos;。</translation>
    </message>
    <message>
        <source>%1: %2 in [blocking] is &quot;%3&quot;, not %4; ignored</source>
        <translation>%1：[blocking] 中的 %2 为 &quot;%3&quot;，不是 %4；已忽略</translation>
    </message>
    <message>
        <source>off, list or known-only</source>
        <translation>off、list 或 known-only</translation>
    </message>
    <message>
        <source>block or allow</source>
        <translation>block 或 allow</translation>
    </message>
    <message>
        <source>seconds from 0.2 to 30</source>
        <translation>0.2 到 30 之间的秒数</translation>
    </message>
    <message>
        <source>%1: %2 in [%3] is &quot;%4&quot;, neither true nor false; ignored</source>
        <translation>%1：[%3] 中的 %2 为 &quot;%4&quot;，既不是 true 也不是 false；已忽略</translation>
    </message>
    <message>
        <source>Shows who is calling on your telephone line and keeps a log of the calls.
Settings: %1</source>
        <translation>显示谁正在拨打您的电话线路，并保存通话记录。
设置：%1</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>意外的参数 &apos;%1&apos;。</translation>
    </message>
    <message>
        <source>%1 cannot be read; its settings are ignored</source>
        <translation>无法读取 %1；其中的设置被忽略</translation>
    </message>
    <message>
        <source>Try &apos;ringvane --help&apos;.</source>
        <translation>请尝试 &apos;ringvane --help&apos;。</translation>
    </message>
</context>
<context>
    <name>ringvane-calls</name>
    <message>
        <source>%1 is not a day: give it as 2026-12-09 or as the day entry shows it, for example %2.</source>
        <translation>%1 不是日期：请写成 2026-12-09，或按日期输入框显示的格式，例如 %2。</translation>
    </message>
    <message>
        <source>Unexpected argument %1.</source>
        <translation>多余的参数 %1。</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 给出了不止一次。</translation>
    </message>
    <message>
        <source>--day goes alone, without --from and --to.</source>
        <translation>--day 须单独使用，不能与 --from 和 --to 同用。</translation>
    </message>
    <message>
        <source>--from and --to go together.</source>
        <translation>--from 和 --to 必须同时使用。</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2.</source>
        <translation>--from %1 晚于 --to %2。</translation>
    </message>
    <message numerus="yes">
        <source>--number is longer than %n characters.</source>
        <translation>
            <numerusform>--number 超过 %n 个字符。</numerusform>
        </translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>未知格式 %1：请用 text、csv 或 json。</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 不是数据源名称。</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>未安装 ODBC 支持（软件包 unixodbc）。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>没有 ODBC 数据源 %1。ringvane-setup-calllog 可以创建它。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>没有 ODBC 数据源 %1。</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (its file is not a database):
%2</source>
        <translation>数据源 %1 中没有通话记录（其文件不是数据库）：
%2</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>数据源 %1 在 %n 秒内没有响应：
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>无法连接数据源 %1：
%2</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (table IDList):
%2</source>
        <translation>数据源 %1 中没有通话记录（表 IDList）：
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give the call log:
%2</source>
        <translation>数据源 %1 无法提供通话记录：
%2</translation>
    </message>
    <message>
        <source>[hung up]</source>
        <translation>[已挂断]</translation>
    </message>
    <message>
        <source>Usage: ringvane-calls [--day DATE | --from DATE --to DATE] [--number TEXT]
                      [--format text|csv|json] [--dsn NAME]

Lists the calls in Ringvane&apos;s call log, oldest first.

  --day DATE           the calls of one day (without a range: today)
  --from DATE --to DATE
                       the calls of these days and every day between them
  --number TEXT        only calls from this number, exactly as stored (upper and
                       lower case differ); a * stands for any text, as in 555*
  --format FORMAT      text (lines like the call list, the default), csv or json
                       (one object a line)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A DATE is written as 2026-12-09, or as Ringvane&apos;s day entry shows it.

In csv, a number or name that a spreadsheet would run as a formula (one that
starts with = + - @ or a tab) gets a leading apostrophe, unless it is only a phone
number such as +1 555 0123.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 no call log table in it, 5 another failure of the data
source, 6 the ODBC support is not installed, 7 the output could not be written.
</source>
        <translation>用法：ringvane-calls [--day 日期 | --from 日期 --to 日期] [--number 文本]
                      [--format text|csv|json] [--dsn 名称]

列出 Ringvane 通话记录中的来电，最早的在前。

  --day 日期           某一天的来电（不给范围时为今天）
  --from 日期 --to 日期
                       这几天及其间每一天的来电
  --number 文本        只列出该号码的来电，须与存储的完全一致（区分大小写）；
                       * 代表任意文本，如 555*
  --format 格式        text（与来电列表相同的行，默认）、csv 或 json（每行一个对象）
  --dsn 名称           通话记录的 ODBC 数据源（默认 CallerID）
  -h, --help           显示本说明

日期写作 2026-12-09，或按 Ringvane 日期输入框显示的格式。

在 csv 中，电子表格会当作公式执行的号码或名称（以 = + - @ 或制表符开头）
前面会加一个撇号，纯电话号码（如 +1 555 0123）除外。

退出状态：0 完成，1 参数错误，2 没有该数据源，3 无法连接数据源，4 其中没有通话记录表，
5 数据源的其他故障，6 未安装 ODBC 支持，7 无法写入输出。
</translation>
    </message>
    <message>
        <source>The phonebook cannot be read, calls are listed without contacts: %1</source>
        <translation>无法读取电话簿，列出的来电不带联系人：%1</translation>
    </message>
    <message>
        <source>More calls than the list can number; give a shorter range.</source>
        <translation>来电数量超出列表可编号的范围；请缩短日期范围。</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>无法写入输出：%1。</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>无法写入输出：标准输出已关闭。</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-calls --help&apos;.</source>
        <translation>请参阅 &apos;ringvane-calls --help&apos;。</translation>
    </message>
</context>
<context>
    <name>ringvane-contacts</name>
    <message>
        <source>Removed %1 from the block list.</source>
        <translation>已将 %1 从黑名单中移除。</translation>
    </message>
    <message>
        <source>Removed %1 from the allow list.</source>
        <translation>已将 %1 从白名单中移除。</translation>
    </message>
    <message>
        <source>Removed %1 from the %2 list.</source>
        <translation>已将 %1 从 %2 名单中移除。</translation>
    </message>
    <message>
        <source>%1 is already on the block list.</source>
        <translation>%1 已在黑名单中。</translation>
    </message>
    <message>
        <source>%1 is already on the allow list.</source>
        <translation>%1 已在白名单中。</translation>
    </message>
    <message>
        <source>%1 is already on the %2 list.</source>
        <translation>%1 已在 %2 名单中。</translation>
    </message>
    <message>
        <source>Added %1 to the block list.</source>
        <translation>已将 %1 加入黑名单。</translation>
    </message>
    <message>
        <source>Added %1 to the allow list.</source>
        <translation>已将 %1 加入白名单。</translation>
    </message>
    <message>
        <source>Added %1 to the %2 list.</source>
        <translation>已将 %1 加入 %2 名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the block list to the allow list.</source>
        <translation>已将 %1 从黑名单移至白名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the allow list to the block list.</source>
        <translation>已将 %1 从白名单移至黑名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the %2 list to the %3 list.</source>
        <translation>已将 %1 从 %2 名单移至 %3 名单。</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 给出了不止一次。</translation>
    </message>
    <message>
        <source>Give a command: %1.</source>
        <translation>请给出一个命令：%1。</translation>
    </message>
    <message>
        <source>Unknown command %1: give %2.</source>
        <translation>未知命令 %1：请用 %2。</translation>
    </message>
    <message>
        <source>%1 takes no arguments.</source>
        <translation>%1 不带参数。</translation>
    </message>
    <message>
        <source>%1 takes %2 (in quotes where it has blanks).</source>
        <translation>%1 需要 %2（含空格时请加引号）。</translation>
    </message>
    <message>
        <source>--format goes with list and export.</source>
        <translation>--format 只用于 list 和 export。</translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>未知格式 %1：请用 text、csv 或 json。</translation>
    </message>
    <message>
        <source>Unknown format %1: give vcard or csv.</source>
        <translation>未知格式 %1：请用 vcard 或 csv。</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 不是数据源名称。</translation>
    </message>
    <message>
        <source>%1 (%2): given twice</source>
        <translation>%1（%2）：重复给出</translation>
    </message>
    <message>
        <source>%1 (%2): the same number as for %3 before it</source>
        <translation>%1（%2）：与前面的 %3 号码相同</translation>
    </message>
    <message>
        <source>Added %1 (%2).</source>
        <translation>已添加 %1（%2）。</translation>
    </message>
    <message>
        <source>Gave %1 the name %2.</source>
        <translation>已为 %1 设置名称 %2。</translation>
    </message>
    <message>
        <source>Changed the name of %1 from %2 to %3.</source>
        <translation>已将 %1 的名称从 %2 改为 %3。</translation>
    </message>
    <message>
        <source>%1 (%2) is already in the phonebook.</source>
        <translation>%1（%2）已在电话簿中。</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>未安装 ODBC 支持（软件包 unixodbc）。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>没有 ODBC 数据源 %1。ringvane-setup-calllog 可以创建它。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>没有 ODBC 数据源 %1。</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>数据源 %1 在 %n 秒内没有响应：
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>无法连接数据源 %1：
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give or take the phonebook:
%2</source>
        <translation>数据源 %1 无法读取或保存电话簿：
%2</translation>
    </message>
    <message>
        <source>Usage: ringvane-contacts list [--format text|csv|json]
       ringvane-contacts add NUMBER NAME
       ringvane-contacts remove NUMBER
       ringvane-contacts block|allow|unmark NUMBER
       ringvane-contacts block-name|remove-name RULE
       ringvane-contacts import FILE
       ringvane-contacts export [--format vcard|csv]
       (each with [--dsn NAME])

Keeps Ringvane&apos;s phonebook, the names it shows for callers&apos; numbers, in the table
Phonebook beside the call log.

  list                 the entries, by name (text, csv or json lines)
  add NUMBER NAME      adds an entry, or gives a number already there the new name
  remove NUMBER        removes the entries with this number, their marks with them
  block NUMBER         puts the number on the block list (a new number becomes an
                       entry without a name)
  allow NUMBER         puts the number on the allow list
  unmark NUMBER        takes the number off either list (keeps its name)
  block-name RULE      puts the calls whose name from the line is RULE on the block
                       list (* for any text, capitals or not: &apos;SPAM*&apos;, TELEMARKETER)
  remove-name RULE     removes that name rule
  import FILE          brings in the numbers of a vCard file (2.1, 3.0, 4.0) or of
                       Google Contacts&apos; CSV export, each under its card&apos;s name;
                       says what it added, changed and skipped
  export               writes the named entries as vCard 4.0 (the default) or as CSV
                       in Google Contacts&apos; columns; marks and rules stay out (list
                       --format csv has them)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A number ending in * covers every number that starts so (0800*). Numbers are the
same when they are the same telephone number in your country (from your locale):
+44 20 7946 0958 and 020 7946 0958 are one entry in the United Kingdom.

list shows each entry&apos;s mark ([block], [allow]) and the name rules last
([block-name]). Whether Ringvane hangs up on a listed call is set in the group
[blocking] of ~/.config/ringvane/ringvane.conf.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 nothing to remove (remove, unmark, remove-name) or the file
cannot be read (import), 5 another failure of the data source, 6 the ODBC support
is not installed, 7 the output could not be written.
</source>
        <translation>用法：ringvane-contacts list [--format text|csv|json]
      ringvane-contacts add 号码 名称
      ringvane-contacts remove 号码
      ringvane-contacts block|allow|unmark 号码
      ringvane-contacts block-name|remove-name 规则
      ringvane-contacts import 文件
      ringvane-contacts export [--format vcard|csv]
      （均可加 [--dsn 名称]）

管理 Ringvane 的电话簿，即它为来电号码显示的名称，保存在通话记录旁的 Phonebook 表中。

  list                 按名称列出条目（text、csv 或 json 行）
  add 号码 名称        添加条目，或为已有号码设置新名称
  remove 号码          删除该号码的条目及其标记
  block 号码           将号码加入黑名单（新号码成为无名称的条目）
  allow 号码           将号码加入白名单
  unmark 号码          将号码从两个名单中移除（保留名称）
  block-name 规则      将线路传来的名称符合该规则的来电加入黑名单
                       （* 代表任意文本，不分大小写：&apos;SPAM*&apos;、TELEMARKETER）
  remove-name 规则     删除该名称规则
  import 文件          导入 vCard 文件（2.1、3.0、4.0）或 Google 通讯录 CSV 导出中的号码，
                       各用其名片的名称；报告添加、修改和跳过的条目
  export               将有名称的条目写成 vCard 4.0（默认）或 Google 通讯录列格式的 CSV；
                       不含标记和规则（list --format csv 包含它们）
  --dsn 名称           通话记录的 ODBC 数据源（默认 CallerID）
  -h, --help           显示本说明

以 * 结尾的号码涵盖所有以此开头的号码（0800*）。在您所在的国家（按您的区域设置）
是同一电话号码的号码视为相同：在中国，+86 10 1234 5678 和 010 1234 5678 是同一条目。

list 显示每个条目的标记（[block]、[allow]），名称规则列在最后（[block-name]）。
Ringvane 是否挂断名单中的来电，在 ~/.config/ringvane/ringvane.conf 的 [blocking] 组中设置。

退出状态：0 完成，1 参数错误，2 没有该数据源，3 无法连接数据源，4 没有可删除的内容
（remove、unmark、remove-name）或无法读取文件（import），5 数据源的其他故障，
6 未安装 ODBC 支持，7 无法写入输出。
</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>无法写入输出：%1。</translation>
    </message>
    <message numerus="yes">
        <source>%1 is larger than %n MiB; no address book is.</source>
        <translation>
            <numerusform>%1 大于 %n MiB；通讯录不会这么大。</numerusform>
        </translation>
    </message>
    <message>
        <source>Could not read %1: %2.</source>
        <translation>无法读取 %1：%2。</translation>
    </message>
    <message numerus="yes">
        <source>Added %n, changed %1, already there %2, skipped %3.</source>
        <translation>
            <numerusform>已添加 %n 个，已修改 %1 个，已存在 %2 个，已跳过 %3 个。</numerusform>
        </translation>
    </message>
    <message>
        <source>skipped line %1: %2</source>
        <translation>已跳过，第 %1 行：%2</translation>
    </message>
    <message>
        <source>skipped %1</source>
        <translation>已跳过：%1</translation>
    </message>
    <message>
        <source>Removed %1.</source>
        <translation>已移除 %1。</translation>
    </message>
    <message>
        <source>No entry has the number %1.</source>
        <translation>没有号码为 %1 的条目。</translation>
    </message>
    <message>
        <source>%1 is on neither list.</source>
        <translation>%1 不在任何名单中。</translation>
    </message>
    <message>
        <source>The name rule %1 is already there.</source>
        <translation>名称规则 %1 已存在。</translation>
    </message>
    <message>
        <source>Added the name rule %1.</source>
        <translation>已添加名称规则 %1。</translation>
    </message>
    <message>
        <source>There is no name rule %1.</source>
        <translation>没有名称规则 %1。</translation>
    </message>
    <message>
        <source>Removed the name rule %1.</source>
        <translation>已移除名称规则 %1。</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>无法写入输出：标准输出已关闭。</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-contacts --help&apos;.</source>
        <translation>请参阅 &apos;ringvane-contacts --help&apos;。</translation>
    </message>
    <message numerus="yes">
        <source>Give a %1 of 1 to %n characters.</source>
        <translation>
            <numerusform>请给出 1 到 %n 个字符的 %1。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: longer than %n characters</source>
        <translation>
            <numerusform>%1：超过 %n 个字符</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ringvane-find-modems</name>
    <message>
        <source>%1: you may not open it. %2</source>
        <translation>%1：您无权打开它。%2</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; answers at %3 bit/s and reports caller ID (%4).</source>
        <translation>%1：“%2”以 %3 bit/s 应答，并报告来电显示（%4）。</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is a modem that cannot report caller ID (it refused %3); not registered.</source>
        <translation>%1：“%2”是不支持来电显示的调制解调器（它拒绝了 %3）；未注册。</translation>
    </message>
    <message>
        <source>%1: nothing answered like a modem; left alone.</source>
        <translation>%1：没有任何应答像调制解调器；不予处理。</translation>
    </message>
    <message>
        <source>%1: answered at first but not after a reset (ATZ); left alone.</source>
        <translation>%1：起初有应答，但复位（ATZ）后不再应答；不予处理。</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; did not answer OK to all of &quot;%3&quot;, &quot;ats0=0&quot; and &quot;%4&quot; sent 50 ms apart, as Ringvane sends them; not registered.</source>
        <translation>%1：“%2”未对以 50 毫秒间隔发送的“%3”、“ats0=0”和“%4”（与 Ringvane 的发送方式相同）全部回答 OK；未注册。</translation>
    </message>
    <message>
        <source>%1: in use by another program; not probed. ModemManager is running and may be the one holding it (see below).</source>
        <translation>%1：正被其他程序占用；未探测。ModemManager 正在运行，可能是它占用了该设备（见下文）。</translation>
    </message>
    <message>
        <source>%1: in use by another program; not probed.</source>
        <translation>%1：正被其他程序占用；未探测。</translation>
    </message>
    <message>
        <source>%1: cannot open it (%2); skipped.</source>
        <translation>%1：无法打开（%2）；已跳过。</translation>
    </message>
    <message>
        <source>cannot keep a copy of the previous file: %1</source>
        <translation>无法保留旧文件的副本：%1</translation>
    </message>
    <message>
        <source>Cannot register: %1 is being changed by another program.</source>
        <translation>无法注册：%1 正被其他程序修改。</translation>
    </message>
    <message>
        <source>Cannot register: %1.</source>
        <translation>无法注册：%1。</translation>
    </message>
    <message>
        <source>Registered &quot;%1&quot; on %2 as %3 (modem %4).</source>
        <translation>已将 %2 上的“%1”注册为 %3（调制解调器 %4）。</translation>
    </message>
    <message>
        <source>Cannot write %1: %2. Nothing was registered.</source>
        <translation>无法写入 %1：%2。未注册任何设备。</translation>
    </message>
    <message>
        <source>Started %1 as a copy of %2.</source>
        <translation>已将 %1 创建为 %2 的副本。</translation>
    </message>
    <message>
        <source>Ringvane reads its modems from %1.</source>
        <translation>Ringvane 从 %1 读取其调制解调器。</translation>
    </message>
    <message>
        <source>No serial or USB ports to look at.</source>
        <translation>没有可查看的串口或 USB 端口。</translation>
    </message>
    <message>
        <source>Cannot look for modems: %1.</source>
        <translation>无法查找调制解调器：%1。</translation>
    </message>
    <message>
        <source>%1: already registered as %2 (&quot;%3&quot;); not probed again.</source>
        <translation>%1：已注册为 %2（“%3”）；不再探测。</translation>
    </message>
    <message>
        <source>ModemManager is running: it probes modem ports and may hold the modem so Ringvane cannot open it. To keep it away, put these lines in %1:</source>
        <translation>ModemManager 正在运行：它会探测调制解调器端口，并可能占用调制解调器，使 Ringvane 无法打开它。要让它避开，请将以下几行写入 %1：</translation>
    </message>
    <message>
        <source>then run &quot;%1&quot; and plug the modem in again.</source>
        <translation>然后运行“%1”，并重新插入调制解调器。</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>不是串行设备</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>%1 is too large to be a registry file</source>
        <translation>%1 太大，不可能是注册表文件</translation>
    </message>
    <message>
        <source>%1 does not look like a registry file</source>
        <translation>%1 看起来不像注册表文件</translation>
    </message>
    <message>
        <source>Looks for caller-ID modems on the serial and USB ports and registers the ones it finds for Ringvane.</source>
        <translation>在串口和 USB 端口上查找支持来电显示的调制解调器，并为 Ringvane 注册找到的设备。</translation>
    </message>
    <message>
        <source>Probe only this device (repeatable).</source>
        <translation>只探测此设备（可多次指定）。</translation>
    </message>
    <message>
        <source>The registry file to update (default: $RINGVANE_REGISTRY, else %1).</source>
        <translation>要更新的注册表文件（默认：$RINGVANE_REGISTRY，否则为 %1）。</translation>
    </message>
    <message>
        <source>The file a new registry file starts as a copy of (default: %1).</source>
        <translation>新建注册表文件时作为其初始副本的文件（默认：%1）。</translation>
    </message>
    <message>
        <source>How long to wait for each answer (default 600).</source>
        <translation>每个应答的等待时间（默认 600）。</translation>
    </message>
    <message>
        <source>Say so when there is nothing to look at.</source>
        <translation>没有可查看的端口时也予以说明。</translation>
    </message>
    <message>
        <source>unexpected argument %1</source>
        <translation>多余的参数 %1</translation>
    </message>
    <message>
        <source>%1 wants 50 to 60000 ms</source>
        <translation>%1 需要 50 到 60000 毫秒</translation>
    </message>
</context>
<context>
    <name>ringvane-setup-calllog</name>
    <message>
        <source>Usage: ringvane-setup-calllog [--add-columns] [--add-name-column] [--help]

Prepares Ringvane&apos;s call log: the table IDList (with an index on its datetime column)
in the ODBC data source &quot;CallerID&quot;. A new table has four columns: datetime, number,
name (the caller&apos;s name, where the line sends one) and action (&quot;blocked&quot; for a call
Ringvane hung up on). Beside it, the table Phonebook (number, name, mark) holds your
own names for callers (see ringvane-contacts).

When no data source &quot;CallerID&quot; exists yet, it adds one to your ODBC file ($ODBCINI, or
~/.odbc.ini when ODBCINI is not set), keeping every other entry of that file. It uses the
SQLite ODBC driver and the file $XDG_DATA_HOME/ringvane/calllog.db (by default
~/.local/share/ringvane/calllog.db), written with a write-ahead journal and full sync.
The file must then stay where it is: if it goes missing, Ringvane reports the call log
as unavailable instead of starting a new, empty one. Run this command again to make a
new, empty file there; Ringvane then stores the calls that waited meanwhile.

When &quot;CallerID&quot; already exists (yours, or the system&apos;s in /etc/odbc.ini), it is left as
it is, and only the tables and the index are created where they are missing (and, for a
SQLite data source, its file). Existing rows are never changed.

  --add-columns      adds the columns name and action to an existing table, each
                     where it is missing; Ringvane stores names and hung-up calls
                     there from its next connection. Programs that insert into the
                     table by position must name their columns once it has more.
  --add-name-column  adds only the column name, where it is missing.

To keep the call log in PostgreSQL, define &quot;CallerID&quot; before running this command, for
example in ~/.odbc.ini:

    [CallerID]
    Driver=PostgreSQL Unicode
    Servername=localhost
    Port=5432
    Database=ringvane
    Username=ringvane
    pqopt=connect_timeout=5

The pqopt line gives up on an unreachable server after 5 seconds, so that Ringvane does
not hang at start-up waiting for it.

Exit status: 0 done, 1 wrong arguments, 2 a file could not be written, 3 the data source
could not be opened or the table not created, 4 the ODBC support is not installed.
</source>
        <translation>用法：ringvane-setup-calllog [--add-columns] [--add-name-column] [--help]

准备 Ringvane 的通话记录：ODBC 数据源“CallerID”中的表 IDList（在其 datetime 列上
建有索引）。新表有四列：datetime、number、name（来电者的姓名，线路发送时才有）和
action（Ringvane 挂断的来电为“blocked”）。旁边的表 Phonebook（number、name、mark）
保存您为来电者起的名称（见 ringvane-contacts）。

如果还没有数据源“CallerID”，本命令会在您的 ODBC 文件（$ODBCINI；未设置 ODBCINI 时为
~/.odbc.ini）中添加一个，并保留该文件中的其他所有条目。它使用 SQLite ODBC 驱动程序和
文件 $XDG_DATA_HOME/ringvane/calllog.db（默认为 ~/.local/share/ringvane/calllog.db），
以预写日志和完全同步方式写入。此后该文件必须留在原处：如果它丢失，Ringvane 会报告
通话记录不可用，而不会新建一个空文件。再次运行本命令即可在原处新建一个空文件；随后
Ringvane 会存入期间等待的来电。

如果“CallerID”已经存在（您的，或系统 /etc/odbc.ini 中的），则保持原样，只在缺少时
创建各表和索引（对于 SQLite 数据源，还有其文件）。已有的行永远不会被修改。

  --add-columns      向已有的表添加 name 和 action 列（各自在缺少时添加）；Ringvane
                     从下次连接起在其中存储姓名和挂断的来电。按位置向该表插入数据的
                     程序，在表有了更多列之后必须指明列名。
  --add-name-column  只添加 name 列（在缺少时）。

要把通话记录保存在 PostgreSQL 中，请在运行本命令之前定义“CallerID”，例如在
~/.odbc.ini 中：

    [CallerID]
    Driver=PostgreSQL Unicode
    Servername=localhost
    Port=5432
    Database=ringvane
    Username=ringvane
    pqopt=connect_timeout=5

pqopt 这一行让无法连接的服务器在 5 秒后被放弃，这样 Ringvane 启动时不会一直等待它。

退出状态：0 完成，1 参数错误，2 无法写入文件，3 无法打开数据源或无法创建表，
4 未安装 ODBC 支持。
</translation>
    </message>
    <message>
        <source>Could not create the call log file %1: %2.</source>
        <translation>无法创建通话记录文件 %1：%2。</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>无法写入 %1：%2。</translation>
    </message>
    <message>
        <source>Added the data source CallerID to %1; the call log is kept in %2.</source>
        <translation>已将数据源 CallerID 添加到 %1；通话记录保存在 %2。</translation>
    </message>
    <message>
        <source>Unknown argument: %1</source>
        <translation>未知参数：%1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>无法读取 %1。</translation>
    </message>
    <message>
        <source>The data source CallerID already exists; it is left as it is.</source>
        <translation>数据源 CallerID 已存在；保持原样。</translation>
    </message>
    <message>
        <source>The call log file %1 was missing; it was made anew.</source>
        <translation>通话记录文件 %1 缺失；已重新创建。</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>未安装 ODBC 支持（软件包 unixodbc）。</translation>
    </message>
    <message>
        <source>Could not prepare the call log in the data source CallerID: %1</source>
        <translation>无法在数据源 CallerID 中准备通话记录：%1</translation>
    </message>
    <message>
        <source>Added the column %1 to the call log table IDList.</source>
        <translation>已向通话记录表 IDList 添加列 %1。</translation>
    </message>
    <message>
        <source>The call log table IDList and the table Phonebook are ready.</source>
        <translation>通话记录表 IDList 和表 Phonebook 已就绪。</translation>
    </message>
    <message>
        <source>It has no column for callers&apos; names or for hung-up calls; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>该表没有存放来电者姓名的列，也没有存放已挂断来电的列；%1 会补上缺少的列（按位置向该表插入数据的程序此后必须指明列名）。</translation>
    </message>
    <message>
        <source>It has no column for callers&apos; names; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>该表没有存放来电者姓名的列；%1 会补上缺少的列（按位置向该表插入数据的程序此后必须指明列名）。</translation>
    </message>
    <message>
        <source>It has no column for hung-up calls; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>该表没有存放已挂断来电的列；%1 会补上缺少的列（按位置向该表插入数据的程序此后必须指明列名）。</translation>
    </message>
</context>
</TS>
