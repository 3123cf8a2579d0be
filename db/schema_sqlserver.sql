-- Tessaline tables on SQL Server, for a test database on a real server.
-- The production database is the suite's own; the program never creates tables.

create table 员工档案 (
    ID int identity(1,1) primary key,
    工号 nvarchar(100),
    姓名 nvarchar(100),
    帐号密码 nvarchar(100),
    离职日期 date
);
create table 岗位员工new (
    ID int identity(1,1) primary key,
    员工代号 nvarchar(100),
    岗位代号 nvarchar(100),
    主要岗位 bit,
    离岗日期 date
);
create table 岗位信息new (
    ID int identity(1,1) primary key,
    岗位代号 nvarchar(100),
    岗位名称 nvarchar(100),
    职能部门代号 nvarchar(100),
    岗位类别代号 nvarchar(100),
    工号 nvarchar(100),
    起始日期 date,
    终止日期 date
);
create table 岗位类别 (
    岗位类别编号 nvarchar(100),
    岗位类别名称 nvarchar(100)
);
create table 职能部门new (
    ID int identity(1,1) primary key,
    职能部门编号 nvarchar(100),
    职能部门名称 nvarchar(100),
    职能部门类别代号 nvarchar(100),
    终止日期 date,
    序号 int,
    显示协调位置 int
);
create table 职能部门类别 (
    部门类别代号 nvarchar(100),
    部门类别名称 nvarchar(100),
    终止日期 date
);
create table 上级部门new (
    ID int identity(1,1) primary key,
    职能部门编号 nvarchar(100),
    上级部门编号 nvarchar(100),
    起始日期 date,
    终止日期 date
);
create table 岗位权限设置 (
    ID int identity(1,1) primary key,
    组代号 nvarchar(100),
    岗位代号 nvarchar(100),
    授权 bit
);
create table GroupPrivilege (
    ID int identity(1,1) primary key,
    GroupID nvarchar(100),
    FormName nvarchar(100),
    Popedom int
);
create table 设置管理处 (
    GYD_DH nvarchar(100),
    GYD_Name nvarchar(100),
    对应部门代号 nvarchar(100),
    商用物业 bit
);
create table SetupSFXM (
    ID int identity(1,1) primary key,
    DH nvarchar(100),
    XM nvarchar(100),
    收费类别 nvarchar(100),
    终止日期 date
);
create table 收款方式列表 (
    收款方式 nvarchar(100)
);
create table 封帐 (
    ID int identity(1,1) primary key,
    职能部门代号 nvarchar(100),
    封帐日期 date
);
create table 票据类型 (
    票据类型代号 nvarchar(100),
    票据类型 nvarchar(100),
    份数 int,
    面值 decimal(18,2),
    税控 bit
);
create table 票据税控机 (
    税控机编号 nvarchar(100),
    使用单位 nvarchar(100),
    启用日期 date,
    终止日期 date
);
create table 票据入库单 (
    ID int identity(1,1) primary key,
    入库单编号 nvarchar(100),
    票据类型编号 nvarchar(100),
    份数 int,
    起始编号 nvarchar(100),
    终止编号 nvarchar(100),
    入库时间 date,
    备注 nvarchar(100),
    税控机编号 nvarchar(100),
    状态 nvarchar(100),
    税控 bit,
    使用 bit not null default 0
);
create table 票据 (
    ID int identity(1,1) primary key,
    票据编号 nvarchar(100),
    入库单编号 nvarchar(100),
    金额 decimal(18,2),
    开票部门编号 nvarchar(100),
    开票日期 date,
    付款人 nvarchar(100),
    预开 bit not null default 0,
    收款日期 date,
    开票人 nvarchar(100),
    收款人 nvarchar(100),
    收款方式 nvarchar(100),
    作废日期 datetime,
    作废原因 nvarchar(100),
    作废人 nvarchar(100),
    核销日期 date,
    核销人 nvarchar(100),
    管理处 nvarchar(100),
    收款凭证编号 nvarchar(100),
    退票日期 date,
    退票凭证编号 nvarchar(100),
    被换票入库单编号 nvarchar(100),
    被换票票据编号 nvarchar(100),
    内换日期 date,
    内换票据编号 nvarchar(100),
    内换凭证编号 nvarchar(100),
    对应调换票据入库单 nvarchar(100),
    对应调换票据编号 nvarchar(100),
    退款日期 date,
    退款原因 nvarchar(100),
    合同编号 nvarchar(100),
    税额凭证编号 nvarchar(100)
);
create table 票据开票数据 (
    ID int identity(1,1) primary key,
    票据id int,
    票据编号 nvarchar(100),
    入库单编号 nvarchar(100),
    品名 nvarchar(100),
    规格 nvarchar(100),
    项目 nvarchar(100),
    数量 decimal(18,2),
    单价 decimal(18,2),
    单位 nvarchar(100),
    金额 decimal(18,2),
    摘要 nvarchar(100),
    科目代号 nvarchar(100),
    收费项目代号 nvarchar(100),
    非日常 bit,
    收款凭证编号 nvarchar(100),
    税额 decimal(18,2),
    税率 decimal(18,2),
    应税科目 nvarchar(100),
    不含税单价 decimal(18,2),
    不含税金额 decimal(18,2)
);
create table 票据领用记录 (
    ID int identity(1,1) primary key,
    票据领用记录编号 nvarchar(100),
    领用日期 date,
    领用部门代号 nvarchar(100)
);
create table 票据领用清单 (
    ID int identity(1,1) primary key,
    领用记录编号 nvarchar(100),
    入库单编号 nvarchar(100),
    核销日期 date,
    归还日期 date
);
create table WYZJ (
    ID int identity(1,1) primary key,
    发票号码 nvarchar(100),
    票据入库单编号 nvarchar(100),
    ZJ_SKRQ date
);
create table 票据核销记录 (
    ID int identity(1,1) primary key,
    核销记录编号 nvarchar(100),
    核销部门代号 nvarchar(100),
    核销日期 date,
    核销人 nvarchar(100),
    核销数量 int,
    已开数量 int,
    作废数量 int,
    未用数 int,
    预开数量 int,
    开票金额 decimal(18,2),
    预开金额 decimal(18,2),
    流水号 nvarchar(100),
    字 nvarchar(100)
);
create table 票据核销 (
    ID int identity(1,1) primary key,
    核销记录编号 nvarchar(100),
    入库单编号 nvarchar(100),
    核销份数 int,
    开票份数 int,
    作废份数 int,
    未用份数 int,
    开票金额合计 decimal(18,2),
    预开份数 int,
    预开金额合计 decimal(18,2)
);
create table 作废恢复流程 (
    ID int identity(1,1) primary key,
    流程代号 nvarchar(100),
    流程名称 nvarchar(100),
    作废恢复类别 nvarchar(100),
    部门类别 nvarchar(100),
    设置日期 date,
    终止日期 date
);
create table 作废恢复流程设置 (
    ID int identity(1,1) primary key,
    流程代号 nvarchar(100),
    部门编号 nvarchar(100),
    岗位编号 nvarchar(100),
    顺序 smallint,
    备注 nvarchar(100)
);
create table 作废恢复审批单 (
    ID int identity(1,1) primary key,
    编号 nvarchar(100),
    流水 nvarchar(100),
    部门 nvarchar(100),
    部门编号 nvarchar(100),
    提交日期 datetime,
    审核状态 nvarchar(100),
    审核日期 datetime,
    审核是否通过 bit,
    调整事由 nvarchar(1000),
    审批人 nvarchar(100),
    类型名称 nvarchar(100),
    票据金额 decimal(18,2),
    收款方式 nvarchar(100),
    票据ID int,
    票据编号 nvarchar(100),
    票据入库单编号 nvarchar(100),
    票据作废日期 datetime
);
create table 作废恢复审批流程 (
    ID int identity(1,1) primary key,
    编号 nvarchar(100),
    部门 nvarchar(100),
    岗位 nvarchar(100),
    环节序号 int
);
create table 作废恢复审批 (
    ID int identity(1,1) primary key,
    编号 nvarchar(100),
    部门 nvarchar(100),
    岗位 nvarchar(100),
    环节序号 int,
    审批人 nvarchar(100),
    审批意见 nvarchar(1000),
    审批日期 datetime,
    是否同意 bit
);
create table 票据作废恢复明细 (
    ID int identity(1,1) primary key,
    编号 nvarchar(100),
    票据入库单编号 nvarchar(100),
    票据编号 nvarchar(100),
    金额 decimal(18,2),
    税金 decimal(18,2),
    收费项目 nvarchar(100),
    科目 nvarchar(100),
    收费项目代号 nvarchar(100),
    应税科目 nvarchar(100),
    税率 decimal(18,2),
    摘要 nvarchar(100),
    不含税单价 decimal(18,2),
    不含税金额 decimal(18,2)
);
create unique index ux_1 on 票据入库单 (入库单编号);
create unique index ux_2 on 作废恢复流程 (流程代号);
create index ix_1 on 员工档案 (工号);
create index ix_2 on 岗位员工new (员工代号);
create index ix_3 on 岗位员工new (岗位代号);
create index ix_4 on 岗位信息new (岗位代号);
create index ix_5 on 岗位信息new (职能部门代号);
create index ix_6 on 岗位信息new (工号);
create index ix_7 on 职能部门new (职能部门编号);
create index ix_8 on 职能部门new (显示协调位置);
create index ix_9 on 职能部门类别 (部门类别代号);
create index ix_10 on 岗位类别 (岗位类别编号);
create index ix_11 on 上级部门new (职能部门编号);
create index ix_12 on 岗位权限设置 (岗位代号);
create index ix_13 on GroupPrivilege (GroupID);
create index ix_14 on 设置管理处 (对应部门代号);
create index ix_15 on SetupSFXM (收费类别);
create index ix_16 on 封帐 (职能部门代号);
create index ix_17 on 票据类型 (票据类型代号);
create index ix_18 on 票据税控机 (使用单位);
create index ix_19 on 票据 (入库单编号, 票据编号);
create index ix_20 on 票据 (作废日期);
create index ix_21 on 票据 (开票部门编号);
create index ix_22 on 票据开票数据 (票据id);
create index ix_23 on 票据开票数据 (入库单编号, 票据编号);
create index ix_24 on 票据领用记录 (票据领用记录编号);
create index ix_25 on 票据领用记录 (领用部门代号);
create index ix_26 on 票据领用清单 (领用记录编号);
create index ix_27 on 票据领用清单 (入库单编号);
create index ix_28 on WYZJ (票据入库单编号, 发票号码);
create index ix_29 on 票据核销记录 (核销记录编号);
create index ix_30 on 票据核销 (核销记录编号);
create index ix_31 on 票据核销 (入库单编号);
create index ix_32 on 作废恢复流程设置 (流程代号);
create index ix_33 on 作废恢复审批单 (编号);
create index ix_34 on 作废恢复审批单 (部门编号);
create index ix_35 on 作废恢复审批流程 (编号);
create index ix_36 on 作废恢复审批 (编号);
create index ix_37 on 作废恢复审批 (岗位);
create index ix_38 on 票据作废恢复明细 (编号);
