VERSION 5.00
Begin VB.UserControl ctlGauge 
   ClientHeight    =   1500
   ClientWidth     =   3600
   PropertyPages   =   "ctlGauge.ctx":0000
   ScaleHeight     =   1500
   ScaleWidth      =   3600
   ToolboxBitmap   =   "ctlGauge.ctx":0014
   Begin VB.Timer tmrSweep 
      Enabled         =   0   'False
      Interval        =   250
      Left            =   3120
      Top             =   1080
   End
   Begin VB.PictureBox picNeedle 
      BackColor       =   &H00FFFFFF&
      Height          =   615
      Left            =   120
      ScaleHeight     =   555
      ScaleWidth      =   3315
      TabIndex        =   0
      Top             =   480
      Width           =   3375
   End
   Begin VB.Label lblTick 
      Alignment       =   2  'Center
      Caption         =   "0"
      Height          =   255
      Index           =   0
      Left            =   120
      TabIndex        =   2
      Top             =   120
      Width           =   615
   End
   Begin VB.Label lblTick 
      Alignment       =   2  'Center
      Caption         =   "25"
      Height          =   255
      Index           =   1
      Left            =   1000
      TabIndex        =   3
      Top             =   120
      Width           =   615
   End
   Begin VB.Label lblTick 
      Alignment       =   2  'Center
      Caption         =   "50"
      Height          =   255
      Index           =   2
      Left            =   1880
      TabIndex        =   4
      Top             =   120
      Width           =   615
   End
   Begin VB.Label lblTick 
      Alignment       =   2  'Center
      Caption         =   "75"
      Height          =   255
      Index           =   3
      Left            =   2760
      TabIndex        =   5
      Top             =   120
      Width           =   615
   End
   Begin VB.Label lblValue 
      Alignment       =   2  'Center
      Caption         =   "0 / 100"
      BeginProperty Font 
         Name            =   "MS Sans Serif"
         Size            =   8.25
         Charset         =   0
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      Height          =   255
      Left            =   120
      TabIndex        =   1
      Top             =   1140
      Width           =   2895
   End
End
Attribute VB_Name = "ctlGauge"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = True
Option Explicit

' A round-number gauge: a needle, four tick labels and a reading.
' Hosts set Value and Max at design time through the property page.

Public Event ValueChanged(ByVal NewValue As Long)
Public Event Overload()

Private Const DEFAULT_MAX As Long = 100

Private m_Value As Long
Private m_Max As Long
Private WithEvents m_Ticker As clsTicker
Attribute m_Ticker.VB_VarHelpID = -1

Private Sub UserControl_Initialize()
    m_Max = DEFAULT_MAX
    Set m_Ticker = New clsTicker
End Sub

Private Sub UserControl_InitProperties()
    m_Value = 0
    m_Max = DEFAULT_MAX
End Sub

' Design-time values come back from the host's property bag.
Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    m_Value = PropBag.ReadProperty("Value", 0)
    m_Max = PropBag.ReadProperty("Max", DEFAULT_MAX)
    tmrSweep.Enabled = Ambient.UserMode
    ShowReading
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    Call PropBag.WriteProperty("Value", m_Value, 0)
    Call PropBag.WriteProperty("Max", m_Max, DEFAULT_MAX)
End Sub

Private Sub UserControl_Resize()
    LayoutTicks
End Sub

Private Sub UserControl_Paint()
    DrawNeedle
End Sub

Private Sub lblTick_Click(Index As Integer)
    Value = (m_Max * Index) \ GAUGE_STEPS
End Sub

Private Sub picNeedle_MouseDown(Button As Integer, Shift As Integer, X As Single, Y As Single)
    Value = ClampValue(CLng(X / picNeedle.ScaleWidth * m_Max), 0, m_Max)
End Sub

Private Sub tmrSweep_Timer()
    m_Ticker.Advance
End Sub

Private Sub m_Ticker_Tick(ByVal Count As Long)
    DrawNeedle
End Sub

Public Property Get Value() As Long
Attribute Value.VB_UserMemId = 0
    Value = m_Value
End Property

Public Property Let Value(ByVal NewValue As Long)
    m_Value = NewValue
    PropertyChanged "Value"
    ShowReading
    RaiseEvent ValueChanged(m_Value)
    If m_Value > m_Max Then RaiseEvent Overload
End Property

Public Property Get Max() As Long
    Max = m_Max
End Property

Public Property Let Max(ByVal NewMax As Long)
    If NewMax <= 0 Then Err.Raise 380
    m_Max = NewMax
    PropertyChanged "Max"
    ShowReading
End Property

Private Sub ShowReading()
    lblValue.Caption = FormatReading(m_Value, m_Max)
    UserControl.Refresh
End Sub

Private Sub LayoutTicks()
    Dim i As Integer
    For i = lblTick.LBound To lblTick.UBound
        lblTick(i).Left = (ScaleWidth - lblTick(i).Width) * i \ GAUGE_STEPS
        lblTick(i).Caption = CStr((m_Max * i) \ GAUGE_STEPS)
    Next i
    picNeedle.Width = ScaleWidth - 2 * picNeedle.Left
End Sub

Private Sub DrawNeedle()
    Dim reach As Single
    reach = picNeedle.ScaleWidth * PercentOf(m_Value, m_Max) / 100
    picNeedle.Cls
    picNeedle.Line (0, picNeedle.ScaleHeight / 2)-(reach, picNeedle.ScaleHeight / 2), vbRed
End Sub
